// Every text the viewer shows, French (code page 1252) and Japanese (code page 932), as bytes.
// Each entry carries its readable form in a comment; the bytes are what the program uses,
// joined with paths as they are and never converted.
#pragma once

// X(name, French bytes, Japanese bytes)
// clang-format off
#define VIEWER_TEXT_LIST(X) \
    /* VelluMax | ベルマMAX */ \
    X(ProductName, "VelluMax", "\x83\x78\x83\x8B\x83\x7DMAX") \
    /* Nom | 名前 */ \
    X(ColumnName, "Nom", "\x96\xBC\x91\x4F") \
    /* Dossier | フォルダー */ \
    X(ColumnFolder, "Dossier", "\x83\x74\x83\x48\x83\x8B\x83\x5F\x81\x5B") \
    /* Taille | サイズ */ \
    X(ColumnSize, "Taille", "\x83\x54\x83\x43\x83\x59") \
    /* Modifié le | 更新日時 */ \
    X(ColumnModified, "Modifi\xE9 le", "\x8D\x58\x90\x56\x93\xFA\x8E\x9E") \
    /* Dossier de fichiers | ファイル フォルダー */ \
    X(FolderKind, "Dossier de fichiers", "\x83\x74\x83\x40\x83\x43\x83\x8B \x83\x74\x83\x48\x83\x8B\x83\x5F\x81\x5B") \
    /* Introuvable | 見つかりません */ \
    X(MissingItem, "Introuvable", "\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1") \
    /* octet | バイト */ \
    X(ByteSingular, "octet", "\x83\x6F\x83\x43\x83\x67") \
    /* octets | バイト */ \
    X(BytePlural, "octets", "\x83\x6F\x83\x43\x83\x67") \
    /* Ko | KB */ \
    X(UnitKilo, "Ko", "KB") \
    /* Mo | MB */ \
    X(UnitMega, "Mo", "MB") \
    /* Go | GB */ \
    X(UnitGiga, "Go", "GB") \
    /* To | TB */ \
    X(UnitTera, "To", "TB") \
    /* , | . */ \
    X(DecimalMark, ",", ".") \
    /*   | , */ \
    X(GroupMark, " ", ",") \
    /*  élément |  個の項目 */ \
    X(ItemSingular, " \xE9l\xE9ment", " \x8C\xC2\x82\xCC\x8D\x80\x96\xDA") \
    /*  éléments |  個の項目 */ \
    X(ItemPlural, " \xE9l\xE9ments", " \x8C\xC2\x82\xCC\x8D\x80\x96\xDA") \
    /* Fichiers :  | ファイル:  */ \
    X(FilesLabel, "Fichiers : ", "\x83\x74\x83\x40\x83\x43\x83\x8B: ") \
    /* Dossiers :  | フォルダー:  */ \
    X(FoldersLabel, "Dossiers : ", "\x83\x74\x83\x48\x83\x8B\x83\x5F\x81\x5B: ") \
    /* Introuvables :  | 見つからない項目:  */ \
    X(MissingLabel, "Introuvables : ", "\x8C\xA9\x82\xC2\x82\xA9\x82\xE7\x82\xC8\x82\xA2\x8D\x80\x96\xDA: ") \
    /* Taille totale :  | 合計サイズ:  */ \
    X(TotalLabel, "Taille totale : ", "\x8D\x87\x8C\x76\x83\x54\x83\x43\x83\x59: ") \
    /* Infos disque | ディスク情報 */ \
    X(DiskInfoTitle, "Infos disque", "\x83\x66\x83\x42\x83\x58\x83\x4E\x8F\xEE\x95\xF1") \
    /* Propriété | 項目 */ \
    X(PropertyColumn, "Propri\xE9t\xE9", "\x8D\x80\x96\xDA") \
    /* Valeur | 値 */ \
    X(ValueColumn, "Valeur", "\x92\x6C") \
    /* Lecteur | ドライブ */ \
    X(DriveLabel, "Lecteur", "\x83\x68\x83\x89\x83\x43\x83\x75") \
    /* Nom de volume | ボリューム名 */ \
    X(VolumeLabel, "Nom de volume", "\x83\x7B\x83\x8A\x83\x85\x81\x5B\x83\x80\x96\xBC") \
    /* (sans nom) | (名前なし) */ \
    X(NoVolumeLabel, "(sans nom)", "(\x96\xBC\x91\x4F\x82\xC8\x82\xB5)") \
    /* Système de fichiers | ファイル システム */ \
    X(FileSystemLabel, "Syst\xE8me de fichiers", "\x83\x74\x83\x40\x83\x43\x83\x8B \x83\x56\x83\x58\x83\x65\x83\x80") \
    /* Numéro de série | シリアル番号 */ \
    X(SerialLabel, "Num\xE9ro de s\xE9rie", "\x83\x56\x83\x8A\x83\x41\x83\x8B\x94\xD4\x8D\x86") \
    /* Capacité | 容量 */ \
    X(CapacityLabel, "Capacit\xE9", "\x97\x65\x97\xCA") \
    /* Espace utilisé | 使用領域 */ \
    X(UsedLabel, "Espace utilis\xE9", "\x8E\x67\x97\x70\x97\xCC\x88\xE6") \
    /* Espace libre | 空き領域 */ \
    X(FreeLabel, "Espace libre", "\x8B\xF3\x82\xAB\x97\xCC\x88\xE6") \
    /* Espace utilisé :  | 使用率:  */ \
    X(UsedShareLabel, "Espace utilis\xE9 : ", "\x8E\x67\x97\x70\x97\xA6: ") \
    /* Fermer | 閉じる */ \
    X(CloseButton, "Fermer", "\x95\xC2\x82\xB6\x82\xE9") \
    /* Aucun chemin n'a été indiqué. | パスが指定されていません。 */ \
    X(MissingPathError, "Aucun chemin n'a \xE9t\xE9 indiqu\xE9.", "\x83\x70\x83\x58\x82\xAA\x8E\x77\x92\xE8\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81\x42") \
    /* Option inconnue :  | 不明なオプション:  */ \
    X(UnknownSwitchError, "Option inconnue : ", "\x95\x73\x96\xBE\x82\xC8\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93: ") \
    /* L'option /f doit être suivie du nom d'un fichier liste. | /f オプションの後にリスト ファイル名が必要です。 */ \
    X(ListNameMissingError, "L'option /f doit \xEAtre suivie du nom d'un fichier liste.", "/f \x83\x49\x83\x76\x83\x56\x83\x87\x83\x93\x82\xCC\x8C\xE3\x82\xC9\x83\x8A\x83\x58\x83\x67 \x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC\x82\xAA\x95\x4B\x97\x76\x82\xC5\x82\xB7\x81\x42") \
    /* Trop d'arguments sur la ligne de commande. | コマンド ラインの引数が多すぎます。 */ \
    X(TooManyArgumentsError, "Trop d'arguments sur la ligne de commande.", "\x83\x52\x83\x7D\x83\x93\x83\x68 \x83\x89\x83\x43\x83\x93\x82\xCC\x88\xF8\x90\x94\x82\xAA\x91\xBD\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81\x42") \
    /* \r\n\r\nUtilisation :\r\n    vmxtool "chemin"\r\n    vmxtool "chemin" /f "fichier liste"\r\n    vmxtool "chemin" /dinfo | \r\n\r\n使い方:\r\n    vmxtool "パス"\r\n    vmxtool "パス" /f "リスト ファイル"\r\n    vmxtool "パス" /dinfo */ \
    X(UsageHelp, "\r\n\r\nUtilisation :\r\n    vmxtool \"chemin\"\r\n    vmxtool \"chemin\" /f \"fichier liste\"\r\n    vmxtool \"chemin\" /dinfo", "\r\n\r\n\x8E\x67\x82\xA2\x95\xFB:\r\n    vmxtool \"\x83\x70\x83\x58\"\r\n    vmxtool \"\x83\x70\x83\x58\" /f \"\x83\x8A\x83\x58\x83\x67 \x83\x74\x83\x40\x83\x43\x83\x8B\"\r\n    vmxtool \"\x83\x70\x83\x58\" /dinfo") \
    /* Impossible d'ouvrir le fichier liste :\r\n | リスト ファイルを開けません:\r\n */ \
    X(ListOpenError, "Impossible d'ouvrir le fichier liste :\r\n", "\x83\x8A\x83\x58\x83\x67 \x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1:\r\n") \
    /* Le fichier liste n'est pas un fichier sur disque :\r\n | リスト ファイルがディスク上のファイルではありません:\r\n */ \
    X(ListNotAFileError, "Le fichier liste n'est pas un fichier sur disque :\r\n", "\x83\x8A\x83\x58\x83\x67 \x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x83\x66\x83\x42\x83\x58\x83\x4E\x8F\xE3\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1:\r\n") \
    /* Impossible de lire les informations du disque :\r\n | ディスク情報を取得できません:\r\n */ \
    X(DiskInfoError, "Impossible de lire les informations du disque :\r\n", "\x83\x66\x83\x42\x83\x58\x83\x4E\x8F\xEE\x95\xF1\x82\xF0\x8E\xE6\x93\xBE\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1:\r\n") \
    /* Impossible de créer la fenêtre. | ウィンドウを作成できません。 */ \
    X(WindowError, "Impossible de cr\xE9" "er la fen\xEAtre.", "\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x82\xF0\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42")
// clang-format on

struct ViewerTexts {
    // The code page of the bytes below, for the windows, which show them as UTF-16.
    unsigned CodePage;
#define VIEWER_TEXT_FIELD(name, fr, ja) const char* name;
    VIEWER_TEXT_LIST(VIEWER_TEXT_FIELD)
#undef VIEWER_TEXT_FIELD
};

// clang-format off
inline constexpr ViewerTexts kFrenchTexts = {
    1252,
#define VIEWER_TEXT_FRENCH(name, fr, ja) fr,
    VIEWER_TEXT_LIST(VIEWER_TEXT_FRENCH)
#undef VIEWER_TEXT_FRENCH
};

inline constexpr ViewerTexts kJapaneseTexts = {
    932,
#define VIEWER_TEXT_JAPANESE(name, fr, ja) ja,
    VIEWER_TEXT_LIST(VIEWER_TEXT_JAPANESE)
#undef VIEWER_TEXT_JAPANESE
};
// clang-format on
