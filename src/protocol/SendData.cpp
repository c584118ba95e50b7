#include "protocol/SendData.h"

#include "tables/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace ovix {

CSendData::CSendData(std::unique_ptr<std::uint8_t[]> data, int length)
    : m_pData(std::move(data)), m_nLength(length)
{
}

bool CSendData::NextReport(Report& report)
{
    if (m_nReadPos >= m_nLength)
        return false;
    report.fill(0);
    const int n = std::min(kReportData, m_nLength - m_nReadPos);
    std::memcpy(report.data() + 1, m_pData.get() + m_nReadPos, std::size_t(n));
    m_nReadPos += n;
    return true;
}

std::uint8_t FrameChecksum(std::span<const std::uint8_t> frame)
{
    std::uint8_t x = 0;
    for (std::size_t i = 4; i < frame.size(); ++i)
        x ^= frame[i];
    return x;
}

std::unique_ptr<CSendData> FinishFrame(const FrameHeader& h, std::span<const std::uint8_t> payload)
{
    if (payload.size() > std::size_t(kMaxPayload))
        return nullptr;
    const int n = int(payload.size());
    const int length = n + kFrameOverhead;
    auto buf = std::make_unique<std::uint8_t[]>(std::size_t(length));
    std::uint8_t* f = buf.get();
    f[0] = f[1] = f[2] = kSyncByte;
    f[3] = kStartByte;
    f[4] = h.command;
    f[5] = kDeviceAddress;
    f[6] = h.program;
    f[7] = h.recordType;
    f[8] = h.index;
    f[9] = h.block;
    f[10] = h.link;
    f[11] = 0;
    PutU16(f + 12, std::uint16_t(n));
    if (n > 0)
        std::memcpy(f + kFrameHeaderSize, payload.data(), payload.size());
    f[kFrameHeaderSize + n] = FrameChecksum({f, std::size_t(kFrameHeaderSize + n)});
    f[kFrameHeaderSize + n + 1] = kEndByte;
    return std::make_unique<CSendData>(std::move(buf), length);
}

} // namespace ovix
