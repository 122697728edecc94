#pragma once
// Scenarios that start their own copy of the program, each in a fresh home
// folder: first start, restart, a camera that goes away while recording,
// the exit question, and ending by signal. Used by the short suite and by
// the soak, where another copy may already be on screen underneath (its
// main window is passed as `underneath` and left alone). Failures are
// GoogleTest failures of the running test. Test thread only.

#include <set>

namespace kelvara::test {

class LifeScenarios
{
public:
    explicit LifeScenarios(std::set<unsigned long> underneath = {})
        : m_underneath(std::move(underneath))
    {
    }

    // LANG=zh_CN: the exit question comes in Chinese; the picture folder
    // appears with the first snap; nothing changed means nothing written.
    void FirstStartInChinese();
    // The Chinese exit question shows its question, not only its title.
    void ExitQuestionInChineseShowsItsText();
    // Calibration, measurements, CSV, screenshot and the file format; then
    // a restart shows the same calibration and snaps in the same format.
    void RestartKeepsCalibrationAndSettings();
    // Stills in four formats, a series of 5 at 1 s, a 10 s recording.
    void StillsSeriesAndRecording();
    // Size and format change the picture of the demo camera; gamma that of
    // the simulated vendor camera.
    void PictureFollowsSizeFormatAndAdjustment();
    // Brightness changes the picture of the demo camera.
    void DemoBrightnessChangesThePicture();
    // The snap menu's sub-menus: an enabled item's text stands out.
    void SnapSubMenuItemsAreReadable();
    // A virtual camera that disappears while recording.
    void CameraUnpluggedWhileRecording();
    // The wireless camera simulator killed while recording.
    void WirelessCameraLostWhileRecording();
    // Exit question on (Cancel keeps the program) and off (ends at once).
    void ExitQuestionOnAndOff();
    // SIGTERM while recording finishes the file and exits 0.
    void TerminationWhileRecording();
    // SIGKILL while recording leaves a file readable up to its last fragment.
    void KillWhileRecording();

private:
    std::set<unsigned long> m_underneath;
};

}  // namespace kelvara::test
