#pragma once

class MainMenuWindow;
struct AppContext;

// The main window's exit button and close box. False when the window stays open.
bool OnExitRequested(AppContext& ctx, MainMenuWindow& window);

// Optimises the configuration, backs up into the weekday folder, copies the photo and document
// folders, and tells the outcome. The please-wait window and the notice show the progress.
void RunBackup(AppContext& ctx, MainMenuWindow& window);
