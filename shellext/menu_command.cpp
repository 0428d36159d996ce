// IContextMenu::QueryContextMenu: adds the command below the shell's Properties item, or at
// the end of the menu when that item is not found.
#include "menu_command.h"

#include "menu_texts.h"
#include "properties_search.h"
#include "shell_ext_handler.h"
#include "system_language.h"

LabelVariant ChooseLabelVariant(UINT flags) {
    UINT low = flags & 0xF;
    if (low == CMF_NORMAL) return LabelVariant::Base;
    if (low & CMF_VERBSONLY) return LabelVariant::Target;
    if (low & CMF_EXPLORE) return LabelVariant::Base;
    return LabelVariant::None;
}

namespace {

const char* LabelText(const MenuLabel& label, LabelVariant variant) {
    return variant == LabelVariant::Target ? label.Target : label.Base;
}

}  // namespace

STDMETHODIMP ShellExtHandler::QueryContextMenu(HMENU menu, UINT, UINT idCmdFirst, UINT,
                                               UINT flags) {
    bool japanese = IsJapaneseSystem();
    LabelVariant variant = ChooseLabelVariant(flags);
    if (variant == LabelVariant::None) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);

    const MenuLabel* label = japanese ? &JapaneseFullWidthLabel : &FrenchLabel;
    PropertiesItem properties = FindPropertiesItem(menu, japanese);
    // A half-width Properties text means a half-width menu: the label follows it.
    if (properties.Position >= 0 && properties.Form == PropertiesForm::JapaneseHalfWidth)
        label = &JapaneseHalfWidthLabel;

    const char* text = LabelText(*label, variant);
    // The shell learns nothing from a failed insertion; the one identifier is used either way.
    if (properties.Position >= 0)
        InsertMenuA(menu, properties.Position + 1, MF_BYPOSITION | MF_STRING, idCmdFirst, text);
    else
        AppendMenuA(menu, MF_BYPOSITION | MF_STRING, idCmdFirst, text);
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
}
