#pragma once

class GallerySettings;
class QWidget;

// Makes `settings` the one model of the gallery's settings while the window
// runs: every control the settings table names writes its value into it as
// it changes, before the window's own handlers hear of the change, and a spin
// edit also its text as typed; the renaming prefixes go in as they change.
// Connected once the controls are built, before their handlers; the model
// starts with what the controls hold.
void bindControlsToSettings(QWidget *window, GallerySettings &settings);
