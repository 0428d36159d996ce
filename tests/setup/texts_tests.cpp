// Every French and Japanese text of the setup program, converted from its code page and
// compared with its readable form: a wrong byte cannot hide.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "setup_texts.h"

namespace {

struct TextCase {
    const char* name;
    const char* bytes;
    UINT codePage;
    const char16_t* readable;
};

const TextCase kTexts[] = {
    {"ProductNameFrench", Texts::ProductNameFrench, 1252, u"VelluMax"},
    {"ProductNameJapanese", Texts::ProductNameJapanese, 932, u"ベルマMAX"},
    {"DiskInfoLabelFrench", Texts::DiskInfoLabelFrench, 1252, u"&Infos disque"},
    {"DiskInfoLabelJapanese", Texts::DiskInfoLabelJapanese, 932, u"ディスク情報(&I)"},
    {"InstallCaptionSuffix", Texts::InstallCaptionSuffix, 1252, u" FR   "},
    {"MissingInfFrench", Texts::MissingInfFrench, 1252, u"Impossible de trouver le fichier spécifié : "},
    {"MissingInfJapanese", Texts::MissingInfJapanese, 932, u"ファイルが見つかりません : "},
    {"StartConfirmationFrenchBefore", Texts::StartConfirmationFrenchBefore, 1252, u" Voici la version FRANÇAISE de "},
    {"StartConfirmationFrenchAfter", Texts::StartConfirmationFrenchAfter, 1252, u"\r\r\"OK\" pour débuter l'installation."},
    {"StartConfirmationJapaneseAfter", Texts::StartConfirmationJapaneseAfter, 932, u" のインストールを開始します."},
    {"UnservedMachineFrenchBefore", Texts::UnservedMachineFrenchBefore, 1252, u"Installation impossible : "},
    {"UnservedMachineFrenchAfter", Texts::UnservedMachineFrenchAfter, 1252, u" ne fonctionne que sur les versions x86 et x64 de Windows."},
    {"UnservedMachineJapaneseAfter", Texts::UnservedMachineJapaneseAfter, 932, u" はこのパソコンの Windows にはインストールできません (x86 または x64 版の Windows が必要です)."},
    {"NativeSetupMissingFrench", Texts::NativeSetupMissingFrench, 1252, u"Impossible de lancer le programme d'installation 64 bits : "},
    {"NativeSetupMissingJapanese", Texts::NativeSetupMissingJapanese, 932, u"64 ビット版のセットアップ プログラムを起動できません : "},
    {"UntrustedPayloadFrench", Texts::UntrustedPayloadFrench, 1252, u"Installation impossible : ce fichier ne porte pas la signature de l'éditeur du programme d'installation : "},
    {"UntrustedPayloadJapanese", Texts::UntrustedPayloadJapanese, 932, u"インストールできません。このファイルにはセットアップ プログラムと同じ発行元の署名がありません : "},
    {"DamagedPayloadFrench", Texts::DamagedPayloadFrench, 1252, u"Installation impossible : le programme d'installation est endommagé. Téléchargez-le à nouveau. Fichier en cause : "},
    {"DamagedPayloadJapanese", Texts::DamagedPayloadJapanese, 932, u"インストールできません。セットアップ ファイルが壊れています。もう一度ダウンロードしてください。原因のファイル : "},
    {"DiskInfoOfferFrench", Texts::DiskInfoOfferFrench, 1252, u"Votre système peut être configuré pour lancer 'Infos disque' depuis le menu contextuel de l'Explorer."},
    {"DiskInfoOfferJapanese", Texts::DiskInfoOfferJapanese, 932, u"エクスプローラでのフォルダの右クリックメニューに「ディスク情報」表示機能を追加します."},
    {"UninstallQuestionCaptionSuffix", Texts::UninstallQuestionCaptionSuffix, 1252, u" Français "},
    {"UninstallReportCaptionSuffix", Texts::UninstallReportCaptionSuffix, 1252, u" uninstall"},
    {"UninstallConfirmationFrenchBefore", Texts::UninstallConfirmationFrenchBefore, 1252, u" Cela supprimera les composants de "},
    {"UninstallConfirmationFrenchAfter", Texts::UninstallConfirmationFrenchAfter, 1252, u". D'accord?"},
    {"UninstallConfirmationJapaneseAfter", Texts::UninstallConfirmationJapaneseAfter, 932, u" をアンインストールしますか？"},
    {"UninstallReportFrenchBefore", Texts::UninstallReportFrenchBefore, 1252, u"Désinstallation OK. \r\rRemarque: "},
    {"UninstallReportFrenchAfter", Texts::UninstallReportFrenchAfter, 1252, u" sera supprimé dès le prochain redémarrage de Windows...   "},
    {"RestartQuestionFrench", Texts::RestartQuestionFrench, 1252, u"Redémarrer l'ordinateur maintenant ?"},
    {"UninstallReportJapaneseBefore", Texts::UninstallReportJapaneseBefore, 932, u"アンインストールが終了しました。  \r\r"},
    {"UninstallReportJapaneseAfter", Texts::UninstallReportJapaneseAfter, 932, u"を削除するためにコンピュータを再起動する必要があります。"},
    {"RestartQuestionJapanese", Texts::RestartQuestionJapanese, 932, u"ここで再起動しますか？"},
    {"RestartRefused", Texts::RestartRefused, 1252, u"ExitWindowsEx:error"},
    {"AccessDeniedFrench", Texts::AccessDeniedFrench, 1252, u"Acces refusé à :   "},
    {"AccessDeniedJapanese", Texts::AccessDeniedJapanese, 932, u"アクセスできません : "},
    {"AnotherSetupFrenchBefore", Texts::AnotherSetupFrenchBefore, 1252, u"Une autre installation ou désinstallation de "},
    {"AnotherSetupFrenchAfter", Texts::AnotherSetupFrenchAfter, 1252, u" est en cours. Réessayez quand elle sera terminée."},
    {"AnotherSetupJapaneseAfter", Texts::AnotherSetupJapaneseAfter, 932, u" の別のインストールまたはアンインストールが実行中です。終了してからもう一度実行してください。"},
};

std::u16string Converted(const char* bytes, UINT codePage) {
    int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, -1, nullptr, 0);
    if (length <= 0) return u"<not valid in this code page>";
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, -1, wide.data(), length);
    wide.resize(length - 1);
    return std::u16string(wide.begin(), wide.end());
}

std::string Utf8(const std::u16string& text) {
    std::wstring wide(text.begin(), text.end());
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), length, nullptr, nullptr);
    out.resize(length - 1);
    return out;
}

TEST(SetupTexts, EveryTextReadsAsWritten) {
    for (const TextCase& t : kTexts) {
        std::u16string got = Converted(t.bytes, t.codePage);
        EXPECT_EQ(std::u16string(t.readable), got)
            << t.name << " (code page " << t.codePage << "): expected \"" << Utf8(t.readable)
            << "\", the bytes read \"" << Utf8(got) << "\"";
    }
}

}  // namespace
