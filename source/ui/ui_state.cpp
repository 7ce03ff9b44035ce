#include "ui/ui_state.h"

UiState ui_state = {};

void ResetUiState() { ui_state = {}; }
