#pragma once
// Stands in for the main window: records the container's messages and keeps
// a result list in step with them the way the main window does.

#include "app/measure/MeasureListAdapter.h"
#include "app/measure/SFPrimitiveContainer.h"
#include "platform/duilib/UIWindowMessages.h"

#include <vector>

namespace kelvara::test {

struct RecordedMessage
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const RecordedMessage& o) const
    {
        return message == o.message && wParam == o.wParam && lParam == o.lParam;
    }
};

class MessageRecorder
{
public:
    explicit MessageRecorder(SFPrimitiveContainer& container)
        : m_container(container)
    {
        DuiLib::RegisterMessageReceiver(Window(), [this](UINT message, WPARAM wParam, LPARAM lParam) {
            m_messages.push_back({message, wParam, lParam});
            const int row = static_cast<int>(wParam);
            if (message == WM_MEASURE_ADD)
                m_list.AddRow();
            else if (message == WM_MEASURE_REMOVE)
                m_list.RemoveRow(row);
            else if (message == WM_MEASURE_CLEAR)
                m_list.Clear();
            else if (message == WM_MEASURE_UPDATE && lParam == 0)
                m_list.SetRow(row, m_container.GetResult(row));
            return LRESULT(0);
        });
        container.SetNotifyWindow(Window());
    }
    ~MessageRecorder() { DuiLib::UnregisterMessageReceiver(Window()); }

    HWND Window() { return reinterpret_cast<HWND>(this); }
    std::vector<RecordedMessage>& Messages() { return m_messages; }
    int Count(UINT message) const
    {
        int n = 0;
        for (const RecordedMessage& m : m_messages)
            n += m.message == message;
        return n;
    }
    MeasureListAdapter& List() { return m_list; }

private:
    SFPrimitiveContainer& m_container;
    std::vector<RecordedMessage> m_messages;
    MeasureListAdapter m_list;
};

}  // namespace kelvara::test
