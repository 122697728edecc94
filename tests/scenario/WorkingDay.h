#pragma once
// The steps of a user's working day with Kelvara, each done through the
// screen (clicks, keys, pixels) and checked through the files it leaves.
// Shared by the short scenarios of the suite and the long soak. Failures are
// GoogleTest failures of the running test; a step returns false when the
// steps after it make no sense. Test thread only.

#include "tests/support/scenario/UserSession.h"

#include <string>
#include <vector>

namespace kelvara::test {

class WorkingDay
{
public:
    WorkingDay(UserSession& session, const std::string& home);

    // Clicks the camera list row and waits for a live picture.
    bool OpenCamera(int row);
    // Preview size 1280 x 720 then 640 x 480, format YUY2 then MJPG: the
    // picture's shape follows and it stays live.
    bool SwitchSizeAndFormat();
    // Drags a slider of the colour drawer from its thumb to the track's
    // right end: the picture gets brighter; the defaults button brings it
    // back.
    bool AdjustmentBrightensThePicture(int thumbX, int sliderRow);
    // One snap in each of the four file formats (snap menu); each file is
    // named automatically and a decoder reads it in that format. Leaves the
    // format at index `leaveFormat`.
    bool SnapEveryFormat(int leaveFormat);
    // Picks the snapshot file format in the snap menu (0 TIFF ... 3 JPEG).
    void ChooseFileFormat(int format);
    // Opens the snap menu's file-format sub-menu and tells how well the
    // text of an enabled item stands out from its background (grey levels).
    int FileFormatItemContrast();
    // Continuous shooting with count 5 and interval 1 s in the settings.
    bool SnapSeries();
    // Records for seconds: a playable MP4 of about that length.
    bool Record(int seconds);
    // Calibrates on the stage micrometer (five long ticks = 0.5 mm), then
    // measures a line over two ticks, a circle and an angle, exports the
    // CSV and a screenshot into the picture folder.
    bool CalibrateAndMeasure(const std::string& calibrationName);
    // Removes every measurement (confirming the question).
    bool DeleteAllMeasurements();
    // Closes through the window, answering the exit question when asked.
    bool Close(bool expectQuestion);

    // Starts recording (record button) and waits for the file; its path.
    std::string StartRecording();
    // The status bar's text is longer than the first words (a message
    // with a path, for example).
    static bool StatusTextIsLong();

    // Writes the whole screen into the test's output folder when the test
    // has failed so far (once per test and label); prints the path.
    static void ShotOnFailure(const std::string& label);

    const std::string& PictureFolder() const { return m_pictures; }

private:
    bool ChooseFromSnapMenu(int entryY, int itemX, int itemY);
    bool WaitLivePicture(int timeoutMs);
    std::string WaitNewFile(
        const std::vector<std::string>& before, const std::string& extension, int timeoutMs);

    UserSession& m_session;
    std::string m_home;
    std::string m_pictures;
    bool m_previewDrawerOpen = false;  // opening a camera opens it
};

}  // namespace kelvara::test
