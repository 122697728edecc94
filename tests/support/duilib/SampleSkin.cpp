#include "tests/support/duilib/SampleSkin.h"

#include <zip.h>

#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace duilib_test {
namespace {

void ListFiles(const std::string& dir, const std::string& prefix, std::vector<std::string>& out)
{
    DIR* d = opendir((dir + prefix).c_str());
    if (d == nullptr)
        return;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st;
        std::string rel = prefix + name;
        if (stat((dir + rel).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            ListFiles(dir, rel + "/", out);
        else
            out.push_back(rel);
    }
    closedir(d);
}

}  // namespace

std::string SampleSkinDir()
{
    return KELVARA_SAMPLE_SKIN_DIR;
}

std::vector<unsigned char> PackFolder(const std::string& dir)
{
    char path[] = "/tmp/duilib-skin-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0)
        return {};
    close(fd);
    int error = 0;
    zip_t* zip = zip_open(path, ZIP_TRUNCATE, &error);
    std::vector<std::string> files;
    ListFiles(dir, "", files);
    for (const std::string& rel : files) {
        std::string stored = rel;
        size_t slash = stored.find('/');
        for (size_t i = 0; i < slash && slash != std::string::npos; ++i)
            stored[i] = static_cast<char>(toupper(stored[i]));
        zip_source_t* src = zip_source_file(zip, (dir + rel).c_str(), 0, -1);
        zip_file_add(zip, stored.c_str(), src, ZIP_FL_OVERWRITE);
    }
    zip_close(zip);
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    unlink(path);
    return bytes;
}

void InstallSampleSkin()
{
    std::vector<unsigned char> bytes = PackFolder(SampleSkinDir());
    DuiLib::CPaintManagerUI::SetResourceType(4);
    DuiLib::CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned>(bytes.size()));
}

void SampleWindow::Notify(DuiLib::TNotifyUI& msg)
{
    notifications.push_back(std::string(msg.sType) + ":" + (msg.pSender ? msg.pSender->GetName().str() : ""));
    WindowImplBase::Notify(msg);
}

LRESULT SampleWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    messages.push_back(uMsg);
    if (uMsg == WM_TIMER)
        timers.push_back(static_cast<UINT>(wParam));
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    DuiLib::CMessageLoop* loop = DuiLib::CMessageLoop::GetCurrent();
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
                  .count();
        if (left <= 0)
            return false;
        loop->PumpOnce(static_cast<int>(std::min<long long>(left, 50)));
    }
    return true;
}

}  // namespace duilib_test
