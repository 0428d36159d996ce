// Every viewer text, French and Japanese, read back through its code page must be exactly
// the readable text below: a wrong or missing byte cannot hide.
#include "viewer_texts.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "test_files.h"

namespace {

struct Readable {
    const char* name;
    const char16_t* french;
    const char16_t* japanese;
};

const Readable kReadable[] = {
    {"ProductName", u"VelluMax", u"ベルマMAX"},
    {"ColumnName", u"Nom", u"名前"},
    {"ColumnFolder", u"Dossier", u"フォルダー"},
    {"ColumnSize", u"Taille", u"サイズ"},
    {"ColumnModified", u"Modifié le", u"更新日時"},
    {"FolderKind", u"Dossier de fichiers", u"ファイル フォルダー"},
    {"MissingItem", u"Introuvable", u"見つかりません"},
    {"ByteSingular", u"octet", u"バイト"},
    {"BytePlural", u"octets", u"バイト"},
    {"UnitKilo", u"Ko", u"KB"},
    {"UnitMega", u"Mo", u"MB"},
    {"UnitGiga", u"Go", u"GB"},
    {"UnitTera", u"To", u"TB"},
    {"DecimalMark", u",", u"."},
    {"GroupMark", u" ", u","},
    {"ItemSingular", u" élément", u" 個の項目"},
    {"ItemPlural", u" éléments", u" 個の項目"},
    {"FilesLabel", u"Fichiers : ", u"ファイル: "},
    {"FoldersLabel", u"Dossiers : ", u"フォルダー: "},
    {"MissingLabel", u"Introuvables : ", u"見つからない項目: "},
    {"TotalLabel", u"Taille totale : ", u"合計サイズ: "},
    {"DiskInfoTitle", u"Infos disque", u"ディスク情報"},
    {"PropertyColumn", u"Propriété", u"項目"},
    {"ValueColumn", u"Valeur", u"値"},
    {"DriveLabel", u"Lecteur", u"ドライブ"},
    {"VolumeLabel", u"Nom de volume", u"ボリューム名"},
    {"NoVolumeLabel", u"(sans nom)", u"(名前なし)"},
    {"FileSystemLabel", u"Système de fichiers", u"ファイル システム"},
    {"SerialLabel", u"Numéro de série", u"シリアル番号"},
    {"CapacityLabel", u"Capacité", u"容量"},
    {"UsedLabel", u"Espace utilisé", u"使用領域"},
    {"FreeLabel", u"Espace libre", u"空き領域"},
    {"UsedShareLabel", u"Espace utilisé : ", u"使用率: "},
    {"CloseButton", u"Fermer", u"閉じる"},
    {"MissingPathError", u"Aucun chemin n'a été indiqué.", u"パスが指定されていません。"},
    {"UnknownSwitchError", u"Option inconnue : ", u"不明なオプション: "},
    {"ListNameMissingError", u"L'option /f doit être suivie du nom d'un fichier liste.",
     u"/f オプションの後にリスト ファイル名が必要です。"},
    {"TooManyArgumentsError", u"Trop d'arguments sur la ligne de commande.",
     u"コマンド ラインの引数が多すぎます。"},
    {"UsageHelp",
     u"\r\n\r\nUtilisation :\r\n    vmxtool \"chemin\"\r\n    vmxtool \"chemin\" /f \"fichier "
     u"liste\"\r\n    vmxtool \"chemin\" /dinfo",
     u"\r\n\r\n使い方:\r\n    vmxtool \"パス\"\r\n    vmxtool \"パス\" /f \"リスト ファイル\"\r\n  "
     u"  vmxtool \"パス\" /dinfo"},
    {"ListOpenError", u"Impossible d'ouvrir le fichier liste :\r\n",
     u"リスト ファイルを開けません:\r\n"},
    {"ListNotAFileError", u"Le fichier liste n'est pas un fichier sur disque :\r\n",
     u"リスト ファイルがディスク上のファイルではありません:\r\n"},
    {"DiskInfoError", u"Impossible de lire les informations du disque :\r\n",
     u"ディスク情報を取得できません:\r\n"},
    {"WindowError", u"Impossible de créer la fenêtre.", u"ウィンドウを作成できません。"},
};

struct Encoded {
    const char* name;
    const char* french;
    const char* japanese;
};

const Encoded kEncoded[] = {
#define VIEWER_TEXT_ENTRY(name, fr, ja) {#name, fr, ja},
    VIEWER_TEXT_LIST(VIEWER_TEXT_ENTRY)
#undef VIEWER_TEXT_ENTRY
};

std::u16string Decoded(const char* bytes, UINT codePage) {
    int length = static_cast<int>(std::string(bytes).size());
    if (length == 0) return {};
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0);
    if (n <= 0) return u"<not valid in this code page>";
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, length, wide.data(), n);
    return std::u16string(wide.begin(), wide.end());
}

std::string Hex(const std::u16string& text) {
    std::string out;
    char unit[8];
    for (char16_t c : text) {
        wsprintfA(unit, "%04X ", static_cast<unsigned>(c));
        out += unit;
    }
    return out;
}

const Readable* FindReadable(const std::string& name) {
    for (const Readable& r : kReadable) {
        if (name == r.name) return &r;
    }
    return nullptr;
}

TEST(ViewerTexts, EveryTextHasItsReadableForm) {
    EXPECT_EQ(std::size(kReadable), std::size(kEncoded))
        << "the readable table and the texts header list different numbers of texts";
    for (const Encoded& e : kEncoded) {
        EXPECT_NE(nullptr, FindReadable(e.name)) << "no readable form for text " << e.name;
    }
}

TEST(ViewerTexts, FrenchBytesAreCodePage1252OfTheReadableText) {
    for (const Encoded& e : kEncoded) {
        const Readable* r = FindReadable(e.name);
        if (r == nullptr) continue;
        std::u16string got = Decoded(e.french, 1252);
        EXPECT_TRUE(got == r->french) << e.name << ": expected " << Hex(r->french) << "got "
                                      << Hex(got) << "from " << vmxtest::Escaped(e.french);
    }
}

TEST(ViewerTexts, JapaneseBytesAreCodePage932OfTheReadableText) {
    for (const Encoded& e : kEncoded) {
        const Readable* r = FindReadable(e.name);
        if (r == nullptr) continue;
        std::u16string got = Decoded(e.japanese, 932);
        EXPECT_TRUE(got == r->japanese) << e.name << ": expected " << Hex(r->japanese) << "got "
                                        << Hex(got) << "from " << vmxtest::Escaped(e.japanese);
    }
}

}  // namespace
