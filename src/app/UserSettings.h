#pragma once
// The choices a user expects back at the next start, each under a key of its own in the
// "Preferences" section: the volume level, mute, repeat, the output folder and type, the
// capture options, and the folder a file was last opened from. (The "Settings"/"volume" value
// the main window writes when it closes is another thing and stays as it is.)

namespace kadrel {

class frmmain;
class SettingsStore;

// Puts the stored choices on the main window, through its own commands; a missing or
// unreadable value leaves the window's own.
void restoreUserSettings(frmmain& window, const SettingsStore& settings);
// Stores the main window's current choices.
void saveUserSettings(const frmmain& window, SettingsStore& settings);

}  // namespace kadrel
