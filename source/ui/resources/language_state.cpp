#include "ui/resources/language_state.h"

LanguageState language_state;

void ResetLanguageState() { language_state = LanguageState{}; }
