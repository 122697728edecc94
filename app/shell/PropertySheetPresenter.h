#pragma once
// Shows a capture device's own settings (the capture layer's property sheet
// hook) with the toolkit's property sheet dialog. Install once at start-up,
// on the UI thread, before any camera opens.

// Registers the presenter with the capture layer.
void InstallPropertySheetPresenter();
