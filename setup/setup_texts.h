// Every French and Japanese text of the setup program, as bytes: French in code page 1252,
// Japanese in code page 932. They are joined with the display name and paths as bytes and
// handed to the "A" functions unconverted. The readable form stands above each one.
#pragma once

namespace Texts {

// Product name on every system that is not Japanese.
// CP1252: "VelluMax"
inline constexpr char ProductNameFrench[] = "VelluMax";

// Product name on a Japanese system.
// CP932: "ベルマMAX"
inline constexpr char ProductNameJapanese[] = "\x83\x78\x83\x8B\x83\x7DMAX";

// Label of the disk-information verb.
// CP1252: "&Infos disque"
inline constexpr char DiskInfoLabelFrench[] = "&Infos disque";
// CP932: "ディスク情報(&I)"
inline constexpr char DiskInfoLabelJapanese[] = "\x83\x66\x83\x42\x83\x58\x83\x4E\x8F\xEE\x95\xF1(&I)";

// Installation captions: display name + this, in both languages.
// CP1252: " FR   "
inline constexpr char InstallCaptionSuffix[] = " FR   ";

// Missing INF file; the full path follows.
// CP1252: "Impossible de trouver le fichier spécifié : "
inline constexpr char MissingInfFrench[] = "Impossible de trouver le fichier sp\xE9" "cifi\xE9 : ";
// CP932: "ファイルが見つかりません : "
inline constexpr char MissingInfJapanese[] = "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1 : ";

// Start confirmation: before + display name + after.
// CP1252: " Voici la version FRANÇAISE de "
inline constexpr char StartConfirmationFrenchBefore[] = " Voici la version FRAN\xC7" "AISE de ";
// CP1252: "\r\r"OK" pour débuter l'installation."
inline constexpr char StartConfirmationFrenchAfter[] = "\r\r\"OK\" pour d\xE9" "buter l'installation.";

// Japanese start confirmation: display name + this.
// CP932: " のインストールを開始します."
inline constexpr char StartConfirmationJapaneseAfter[] = " \x82\xCC\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xF0\x8A\x4A\x8E\x6E\x82\xB5\x82\xDC\x82\xB7.";

// A Windows that the package cannot serve (Windows on ARM): before + display name + after.
// CP1252: "Installation impossible : "
inline constexpr char UnservedMachineFrenchBefore[] = "Installation impossible : ";
// CP1252: " ne fonctionne que sur les versions x86 et x64 de Windows."
inline constexpr char UnservedMachineFrenchAfter[] = " ne fonctionne que sur les versions x86 et x64 de Windows.";
// CP932: " はこのパソコンの Windows にはインストールできません (x86 または x64 版の Windows が必要です)."
inline constexpr char UnservedMachineJapaneseAfter[] = " \x82\xCD\x82\xB1\x82\xCC\x83\x70\x83\x5C\x83\x52\x83\x93\x82\xCC Windows \x82\xC9\x82\xCD\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1 (x86 \x82\xDC\x82\xBD\x82\xCD x64 \x94\xC5\x82\xCC Windows \x82\xAA\x95\x4B\x97\x76\x82\xC5\x82\xB7).";

// 64-bit Windows, when the 64-bit setup program is missing or cannot start; its full path
// follows.
// CP1252: "Impossible de lancer le programme d'installation 64 bits : "
inline constexpr char NativeSetupMissingFrench[] = "Impossible de lancer le programme d'installation 64 bits : ";
// CP932: "64 ビット版のセットアップ プログラムを起動できません : "
inline constexpr char NativeSetupMissingJapanese[] = "64 \x83\x72\x83\x62\x83\x67\x94\xC5\x82\xCC\x83\x5A\x83\x62\x83\x67\x83\x41\x83\x62\x83\x76 \x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80\x82\xF0\x8B\x4E\x93\xAE\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1 : ";

// A staged program or DLL without the setup program's own publisher's signature; the
// file's path in the unpacked package follows.
// CP1252: "Installation impossible : ce fichier ne porte pas la signature de l'éditeur du programme d'installation : "
inline constexpr char UntrustedPayloadFrench[] = "Installation impossible : ce fichier ne porte pas la signature de l'\xE9" "diteur du programme d'installation : ";
// CP932: "インストールできません。このファイルにはセットアップ プログラムと同じ発行元の署名がありません : "
inline constexpr char UntrustedPayloadJapanese[] = "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42\x82\xB1\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xC9\x82\xCD\x83\x5A\x83\x62\x83\x67\x83\x41\x83\x62\x83\x76 \x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80\x82\xC6\x93\xAF\x82\xB6\x94\xAD\x8D\x73\x8C\xB3\x82\xCC\x8F\x90\x96\xBC\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1 : ";

// A setup file whose carried payload cannot be unpacked or does not match what the build
// recorded; the name of the first file at fault follows.
// CP1252: "Installation impossible : le programme d'installation est endommagé. Téléchargez-le à nouveau. Fichier en cause : "
inline constexpr char DamagedPayloadFrench[] = "Installation impossible : le programme d'installation est endommag\xE9. T\xE9l\xE9" "chargez-le \xE0 nouveau. Fichier en cause : ";
// CP932: "インストールできません。セットアップ ファイルが壊れています。もう一度ダウンロードしてください。原因のファイル : "
inline constexpr char DamagedPayloadJapanese[] = "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42\x83\x5A\x83\x62\x83\x67\x83\x41\x83\x62\x83\x76 \x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x89\xF3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81\x42\x82\xE0\x82\xA4\x88\xEA\x93\x78\x83\x5F\x83\x45\x83\x93\x83\x8D\x81\x5B\x83\x68\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42\x8C\xB4\x88\xF6\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B : ";

// Offer of the disk-information verb.
// CP1252: "Votre système peut être configuré pour lancer 'Infos disque' depuis le menu contextuel de l'Explorer."
inline constexpr char DiskInfoOfferFrench[] = "Votre syst\xE8me peut \xEAtre configur\xE9 pour lancer 'Infos disque' depuis le menu contextuel de l'Explorer.";
// CP932: "エクスプローラでのフォルダの右クリックメニューに「ディスク情報」表示機能を追加します."
inline constexpr char DiskInfoOfferJapanese[] = "\x83\x47\x83\x4E\x83\x58\x83\x76\x83\x8D\x81\x5B\x83\x89\x82\xC5\x82\xCC\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xCC\x89\x45\x83\x4E\x83\x8A\x83\x62\x83\x4E\x83\x81\x83\x6A\x83\x85\x81\x5B\x82\xC9\x81\x75\x83\x66\x83\x42\x83\x58\x83\x4E\x8F\xEE\x95\xF1\x81\x76\x95\x5C\x8E\xA6\x8B\x40\x94\x5C\x82\xF0\x92\xC7\x89\xC1\x82\xB5\x82\xDC\x82\xB7.";

// Captions of the uninstall confirmation and the access-denied box, in both languages.
// CP1252: " Français "
inline constexpr char UninstallQuestionCaptionSuffix[] = " Fran\xE7" "ais ";

// Caption of the uninstall report.
// CP1252: " uninstall"
inline constexpr char UninstallReportCaptionSuffix[] = " uninstall";

// Uninstall confirmation: before + display name + after.
// CP1252: " Cela supprimera les composants de "
inline constexpr char UninstallConfirmationFrenchBefore[] = " Cela supprimera les composants de ";
// CP1252: ". D'accord?"
inline constexpr char UninstallConfirmationFrenchAfter[] = ". D'accord?";

// Japanese uninstall confirmation: display name + this.
// CP932: " をアンインストールしますか？"
inline constexpr char UninstallConfirmationJapaneseAfter[] = " \x82\xF0\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81\x48";

// Uninstall report: before + path of the setup program + after.
// CP1252: "Désinstallation OK. \r\rRemarque: "
inline constexpr char UninstallReportFrenchBefore[] = "D\xE9sinstallation OK. \r\rRemarque: ";
// CP1252: " sera supprimé dès le prochain redémarrage de Windows...   "
inline constexpr char UninstallReportFrenchAfter[] = " sera supprim\xE9 d\xE8s le prochain red\xE9marrage de Windows...   ";

// Restart question, after two more carriage returns (Windows 95 family only).
// CP1252: "Redémarrer l'ordinateur maintenant ?"
inline constexpr char RestartQuestionFrench[] = "Red\xE9marrer l'ordinateur maintenant ?";

// Japanese uninstall report and restart question, the same way.
// CP932: "アンインストールが終了しました。  \r\r"
inline constexpr char UninstallReportJapaneseBefore[] = "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xAA\x8F\x49\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42  \r\r";
// CP932: "を削除するためにコンピュータを再起動する必要があります。"
inline constexpr char UninstallReportJapaneseAfter[] = "\x82\xF0\x8D\xED\x8F\x9C\x82\xB7\x82\xE9\x82\xBD\x82\xDF\x82\xC9\x83\x52\x83\x93\x83\x73\x83\x85\x81\x5B\x83\x5E\x82\xF0\x8D\xC4\x8B\x4E\x93\xAE\x82\xB7\x82\xE9\x95\x4B\x97\x76\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81\x42";
// CP932: "ここで再起動しますか？"
inline constexpr char RestartQuestionJapanese[] = "\x82\xB1\x82\xB1\x82\xC5\x8D\xC4\x8B\x4E\x93\xAE\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81\x48";

// A refused restart request, in both languages.
// CP1252: "ExitWindowsEx:error"
inline constexpr char RestartRefused[] = "ExitWindowsEx:error";

// A file whose deletion is refused; the full path follows.
// CP1252: "Acces refusé à :   "
inline constexpr char AccessDeniedFrench[] = "Acces refus\xE9 \xE0 :   ";
// CP932: "アクセスできません : "
inline constexpr char AccessDeniedJapanese[] = "\x83\x41\x83\x4E\x83\x5A\x83\x58\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1 : ";

// Another setup program of the product is at work: before + display name + after.
// CP1252: "Une autre installation ou désinstallation de "
inline constexpr char AnotherSetupFrenchBefore[] = "Une autre installation ou d\xE9sinstallation de ";
// CP1252: " est en cours. Réessayez quand elle sera terminée."
inline constexpr char AnotherSetupFrenchAfter[] = " est en cours. R\xE9" "essayez quand elle sera termin\xE9" "e.";
// CP932: " の別のインストールまたはアンインストールが実行中です。終了してからもう一度実行してください。"
inline constexpr char AnotherSetupJapaneseAfter[] = " \x82\xCC\x95\xCA\x82\xCC\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xDC\x82\xBD\x82\xCD\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xAA\x8E\xC0\x8D\x73\x92\x86\x82\xC5\x82\xB7\x81\x42\x8F\x49\x97\xB9\x82\xB5\x82\xC4\x82\xA9\x82\xE7\x82\xE0\x82\xA4\x88\xEA\x93\x78\x8E\xC0\x8D\x73\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";

}  // namespace Texts
