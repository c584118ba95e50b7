#pragma once
// A console UI that shows nothing, chooses no device and runs no timers: the base of every
// stand-in for the console window (the command-line tool, tests, benchmarks), which
// override only what they need.

#include "link/ConsoleLink.h"

namespace ovix {

class NullConsoleUi : public IConsoleUi {
public:
    void ShowMessage(const UiMessage&, MessageStyle) override {}
    void SetConnectLook(ConnectLook) override {}
    int ChooseDevice(const std::vector<std::string>&) override { return -1; }
    void OpenDataLoadingWindow() override {}
    void CloseDataLoadingWindow() override {}
    void After(std::chrono::milliseconds, std::function<void()>) override {}
};

} // namespace ovix
