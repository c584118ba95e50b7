#pragma once
// The real link — worker, transport, reply parser, connection logic — against the simulated
// processor: a UI that records what the console would have shown, and a fixture with a bus
// of simulated processors and a message pump. A failing test prints the frames the
// processor saw, in hex.

#include "link/ConsoleLink.h"
#include "link/NullConsoleUi.h"
#include "model/KTV_Data.h"
#include "simulator/SimBus.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace ovix::test {

using namespace std::chrono_literals;


class RecordingUi : public NullConsoleUi {
public:
    explicit RecordingUi(MessageQueue& q) : m_queue(q) {}
    void ShowMessage(const UiMessage& message, MessageStyle style) override
    {
        messages.push_back(EnglishText(message));
        ids.push_back(message.id);
        styles.push_back(style);
    }
    void SetConnectLook(ConnectLook look) override { this->look = look; }
    int ChooseDevice(const std::vector<std::string>& entries) override
    {
        menus.push_back(entries);
        return menuChoice;
    }
    void OpenDataLoadingWindow() override { ++windowsOpened; }
    void CloseDataLoadingWindow() override { ++windowsClosed; }
    void After(std::chrono::milliseconds d, std::function<void()> fn) override { m_queue.After(d, std::move(fn)); }
    void LiveLoaded(int) override { ++liveLoaded; }
    void FirmwareStatus(MessageId status) override { firmwareStatus.push_back(status); }
    void FirmwareProgress(int position, int maximum) override
    {
        progress = position;
        progressMax = maximum;
    }
    void FirmwareEnded(bool success) override { firmwareEnded.push_back(success); }

    std::vector<std::string> messages;
    std::vector<MessageId> ids;  // which message: texts alike in English differ in Chinese
    std::vector<MessageStyle> styles;
    std::vector<std::vector<std::string>> menus;
    int menuChoice = -1;
    ConnectLook look = ConnectLook::Disconnected;
    int windowsOpened = 0, windowsClosed = 0, liveLoaded = 0;
    std::vector<MessageId> firmwareStatus;
    int progress = -1, progressMax = -1;
    std::vector<bool> firmwareEnded;

private:
    MessageQueue& m_queue;
};

inline std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    static const char* d = "0123456789abcdef";
    std::string s;
    for (auto b : bytes) {
        s += d[b >> 4];
        s += d[b & 15];
    }
    return s;
}

class SimLink : public ::testing::Test {
protected:
    void SetUp() override { Build(); }
    void TearDown() override
    {
        if (HasFailure() && bus->Find("sim:1")) {
            std::ostringstream os;
            for (const auto& f : bus->Find("sim:1")->ReceivedFrames())
                os << "  Sent: " << Hex(f) << '\n';
            ADD_FAILURE() << "frames the processor saw:\n" << os.str();
        }
        queue.Shutdown();
        link.reset();
        data.reset();
    }

    void Build()
    {
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        bus = std::make_shared<sim::CSimBus>();
        ui = std::make_unique<RecordingUi>(queue);
        link = std::make_unique<CConsoleLink>(*model, flags, lock, bus, records, queue, *ui);
        link->SetDisconnectPause(0ms);
        data = std::make_unique<CKTV_Data>(*model);
        link->Command().SetRecordPort(data.get());
    }

    sim::CSimProcessor& AddSim(sim::SimOptions o = {})
    {
        o.reportDelay = std::chrono::microseconds(o.reportDelay.count() == 1000 ? 0 : o.reportDelay.count());
        return bus->Add(o);
    }

    bool PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout = 15s)
    {
        return queue.PumpUntil([this](const LinkEventMsg& m) { link->HandleEvent(m); }, pred, timeout);
    }
    void PumpFor(std::chrono::milliseconds d)
    {
        PumpUntil([] { return false; }, d);
    }
    bool ConnectAndSync()
    {
        link->AutoConnect();
        return PumpUntil([this] { return link->Synced() && link->DelayMemoryReturned(); });
    }

    std::unique_ptr<ParameterModel> model;
    LinkFlags flags;
    std::recursive_mutex lock;
    MemoryDeviceRecords records;
    MessageQueue queue;
    std::shared_ptr<sim::CSimBus> bus;
    std::unique_ptr<RecordingUi> ui;
    std::unique_ptr<CConsoleLink> link;
    std::unique_ptr<CKTV_Data> data;
};

} // namespace ovix::test
