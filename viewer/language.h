// The viewer speaks Japanese on a Japanese system and French everywhere else.
#pragma once

#include "viewer_texts.h"

bool IsJapaneseSystem();
const ViewerTexts& SystemTexts();
