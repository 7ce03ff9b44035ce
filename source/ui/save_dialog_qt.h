// The Qt side of the save dialog, for its own tests.
#pragma once

class QFileDialog;

// Sets up a save dialog as the command wants it: the two filters in order, the
// remembered filter, the name "photo", no overwrite question of its own.
void ConfigureSaveDialog(QFileDialog& dialog);
