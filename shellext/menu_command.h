// Which label, if any, the handler adds to a menu built with the given flags.
#pragma once

#include <windows.h>

enum class LabelVariant { None, Base, Target };

// Only the low four flag bits count. A shortcut's own menu (CMF_VERBSONLY) gets the target
// label; menus asked for the default verb only or for no verbs get nothing.
LabelVariant ChooseLabelVariant(UINT flags);
