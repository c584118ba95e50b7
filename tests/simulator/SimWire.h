#pragma once
// The host end of a simulated processor for tests: writes console frames as reports and
// reads one reply frame back through the frame decoder, checking its framing on the way.

#include "protocol/FrameDecoder.h"
#include "protocol/HidBackend.h"
#include "protocol/SendData.h"
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
// quiet for timeoutMs. Everything after the end byte must be zero padding. A reply with a
// wrong checksum is returned with checksumOk false; any other damage fails the test.
inline std::optional<Reply> Receive(IHidDevice& device, int timeoutMs = 5000)
{
    std::vector<std::uint8_t> bytes;
    Report report{};
    FrameRules anyChecksum;
    anyChecksum.verifyChecksum = false;
    while (device.Read(report, timeoutMs) == HidIo::Ok) {
        EXPECT_EQ(report[0], 0) << "input reports carry report id 0";
        bytes.insert(bytes.end(), report.begin() + 1, report.end());
        const FrameResult decoded = DecodeFrame(bytes, anyChecksum);
        if (decoded.Incomplete())
            continue;
        if (!decoded) {
            ADD_FAILURE() << "a damaged reply: " << Describe(decoded.Error());
            return std::nullopt;
        }
        const DecodedFrame& f = decoded.Frame();
        EXPECT_EQ(bytes.size(), (f.length + kReportData - 1) / kReportData * kReportData)
            << "a reply takes as few reports as it needs";
        for (std::size_t i = f.length; i < bytes.size(); ++i)
            EXPECT_EQ(bytes[i], 0) << "padding after the end byte, at " << i;
        Reply r;
        r.command = f.command;
        r.address = f.address;
        r.program = f.program;
        r.type = f.recordType;
        r.index = f.index;
        r.block = f.block;
        r.link = f.link;
        r.reserved = f.reserved;
        r.payload.assign(f.payload.begin(), f.payload.end());
        r.checksumOk = DecodeFrame(bytes).Ok();
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
