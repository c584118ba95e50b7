#pragma once
// The host end of a simulated processor for tests: writes console frames as reports and
// reads one reply frame back, checking its framing on the way.

#include "protocol/HidBackend.h"
#include "protocol/SendData.h"
#include "tables/ByteOrder.h"
#include "simulator/SimProcessor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace ovix::sim::test {

struct Reply {
    std::uint8_t command = 0;
    std::uint8_t address = 0;
    std::uint8_t program = 0;
    std::uint8_t type = 0;
    std::uint8_t index = 0;
    std::uint8_t block = 0;
    std::uint8_t link = 0;
    std::uint8_t reserved = 0;
    std::vector<std::uint8_t> payload;
    bool checksumOk = false;
};

// A processor driven directly on its wire, as a device.
class ProcessorWire : public IHidDevice {
public:
    explicit ProcessorWire(CSimProcessor& processor) : m_processor(processor) {}
    HidIo Write(const Report& report, int timeoutMs) override { return m_processor.HostWrite(report, timeoutMs); }
    HidIo Read(Report& report, int timeoutMs) override { return m_processor.HostRead(report, timeoutMs); }

private:
    CSimProcessor& m_processor;
};

inline SimOptions Fast(SimOptions options = {})
{
    options.reportDelay = std::chrono::microseconds(0);
    return options;
}

// Writes every report of the frame; the number of reports written.
inline int Send(IHidDevice& device, CSendData& frame)
{
    frame.Rewind();
    Report report{};
    int reports = 0;
    while (frame.NextReport(report)) {
        EXPECT_EQ(device.Write(report, 20), HidIo::Ok);
        ++reports;
    }
    return reports;
}

// Reads input reports until one whole reply frame is in; nothing when the processor stays
// quiet for timeoutMs. Everything after the end byte must be zero padding.
inline std::optional<Reply> Receive(IHidDevice& device, int timeoutMs = 5000)
{
    std::vector<std::uint8_t> bytes;
    Report report{};
    while (device.Read(report, timeoutMs) == HidIo::Ok) {
        EXPECT_EQ(report[0], 0) << "input reports carry report id 0";
        bytes.insert(bytes.end(), report.begin() + 1, report.end());
        if (bytes.size() < std::size_t(kFrameHeaderSize))
            continue;
        const std::size_t n = GetU16(bytes.data() + 12);
        const std::size_t length = n + kFrameOverhead;
        if (bytes.size() < length)
            continue;
        EXPECT_EQ(bytes.size(), (length + kReportData - 1) / kReportData * kReportData)
            << "a reply takes as few reports as it needs";
        const std::vector<std::uint8_t> sync{kSyncByte, kSyncByte, kSyncByte, kStartByte};
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4), sync);
        EXPECT_EQ(bytes[length - 1], kEndByte);
        for (std::size_t i = length; i < bytes.size(); ++i)
            EXPECT_EQ(bytes[i], 0) << "padding after the end byte, at " << i;
        Reply r;
        r.command = bytes[4];
        r.address = bytes[5];
        r.program = bytes[6];
        r.type = bytes[7];
        r.index = bytes[8];
        r.block = bytes[9];
        r.link = bytes[10];
        r.reserved = bytes[11];
        r.payload.assign(bytes.begin() + kFrameHeaderSize, bytes.begin() + std::ptrdiff_t(kFrameHeaderSize + n));
        r.checksumOk = FrameChecksum({bytes.data(), kFrameHeaderSize + n}) == bytes[kFrameHeaderSize + n];
        return r;
    }
    EXPECT_TRUE(bytes.empty()) << "a reply broke off after " << bytes.size() << " bytes";
    return std::nullopt;
}

inline std::optional<Reply> Exchange(IHidDevice& device, const std::unique_ptr<CSendData>& frame)
{
    EXPECT_TRUE(frame) << "the builder made no frame";
    if (!frame)
        return std::nullopt;
    Send(device, *frame);
    return Receive(device);
}

} // namespace ovix::sim::test
