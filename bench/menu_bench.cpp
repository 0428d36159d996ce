// QueryContextMenu walks the menu for the Properties item and inserts its command below it.
// The baseline makes the same user32 calls bare, so the ratio is the handler's own share.
#include <cstdio>
#include <cstring>

#include "benches.h"
#include "menu_texts.h"

namespace bench {
namespace {

const int kSamples = 15;
const int kCallsPerSample = 2000;
const UINT kFirstCommand = 1;

// A file's context menu of a French system: 24 items and separators, then Properties.
HMENU FrenchFileMenu() {
    static const char* const items[] = {
        "&Ouvrir",
        "&Modifier",
        "Im&primer",
        nullptr,
        "Ouvrir a&vec",
        "Analyser avec l'antivirus",
        "Ajouter \xE0 l'archive...",  // à
        nullptr,
        "Partager a&vec",
        "Restaurer les versions pr\xE9"
        "c\xE9"
        "dentes",  // précédentes
        nullptr,
        "En&voyer vers",
        nullptr,
        "Co&uper",
        "&Copier",
        "Co&ller",
        nullptr,
        "Cr\xE9"
        "er un &raccourci",  // Créer
        "&Supprimer",
        "Reno&mmer",
        nullptr,
        "Emplacement du fichier",
        "Copier le chemin d'acc\xE8s",
        nullptr,  // accès
    };
    static_assert(sizeof items / sizeof items[0] == 24);
    HMENU menu = CreatePopupMenu();
    if (!menu) Fail("CreatePopupMenu failed");
    UINT id = 100;
    for (const char* text : items) {
        if (text)
            AppendMenuA(menu, MF_STRING, id++, text);
        else
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    }
    AppendMenuA(menu, MF_STRING, id, FrenchPropertiesBytes);
    return menu;
}

// One call must put the French label right below Properties, or the search did not run
// its whole length and the figure would mean nothing.
void CheckPlacement(IContextMenu* handler, HMENU menu) {
    handler->QueryContextMenu(menu, 0, kFirstCommand, 0x7FFF, CMF_NORMAL);
    char text[64] = {};
    GetMenuStringA(menu, 25, text, sizeof text, MF_BYPOSITION);
    if (GetMenuItemCount(menu) != 26 || std::strcmp(text, FrenchLabel.Base) != 0)
        Fail("QueryContextMenu did not insert below Properties (item 26 reads \"" +
             std::string(text) + "\"); run under a French or English LC_ALL");
    DeleteMenu(menu, 25, MF_BYPOSITION);
}

}  // namespace

Figure MenuBench() {
    HMENU menu = FrenchFileMenu();
    IContextMenu* handler = NewLinkedHandler();
    CheckPlacement(handler, menu);

    Arm handlerArm = [&] {
        Stopwatch watch;
        for (int i = 0; i < kCallsPerSample; ++i) {
            handler->QueryContextMenu(menu, 0, kFirstCommand, 0x7FFF, CMF_NORMAL);
            DeleteMenu(menu, 25, MF_BYPOSITION);
        }
        return watch.Seconds() / kCallsPerSample;
    };
    Arm bareArm = [&] {
        Stopwatch watch;
        for (int i = 0; i < kCallsPerSample; ++i) {
            int count = GetMenuItemCount(menu);
            char text[40];
            for (int p = 0; p < count; ++p) GetMenuStringA(menu, p, text, 40, MF_BYPOSITION);
            InsertMenuA(menu, count, MF_BYPOSITION | MF_STRING, kFirstCommand, FrenchLabel.Base);
            DeleteMenu(menu, 25, MF_BYPOSITION);
        }
        return watch.Seconds() / kCallsPerSample;
    };
    std::vector<double> t = MedianSeconds(kSamples, {handlerArm, bareArm});
    handler->Release();
    DestroyMenu(menu);

    PrintTitle("1. QueryContextMenu, 25-item menu ending in the French Properties item");
    std::printf(
        "  per call; each call followed by DeleteMenu of the inserted item in both arms;\n"
        "  median of %d samples of %d calls\n",
        kSamples, kCallsPerSample);
    PrintRows({{"handler's QueryContextMenu", t[0]},
               {"bare GetMenuItemCount + 25 GetMenuStringA + InsertMenuA", t[1]}},
              1, "us");
    return {"1 QueryContextMenu, 25 items", t[0], t[1], "us", 1.2};
}

}  // namespace bench
