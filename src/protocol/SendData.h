#pragma once
// One outgoing frame and the position of the next byte to go out in a report.

#include "protocol/Protocol.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace ovix {

using Report = std::array<std::uint8_t, kReportSize>;

class CSendData {
public:
    // Takes ownership of a complete frame of `length` bytes.
    CSendData(std::unique_ptr<std::uint8_t[]> data, int length);

    const std::uint8_t* Data() const { return m_pData.get(); }
    std::span<const std::uint8_t> Bytes() const { return {m_pData.get(), std::size_t(m_nLength)}; }
    int Length() const { return m_nLength; }

    int Attempts() const { return m_nAttempts; }
    void SetAttempts(int n) { m_nAttempts = n; }
    int Seq() const { return m_nSeq; }
    void SetSeq(int n) { m_nSeq = n; }
    int Notify() const { return m_bNotify; }
    void SetNotify(int b) { m_bNotify = b; }
    int Last() const { return m_bLast; }
    void SetLast(int b) { m_bLast = b; }
    int ReadPos() const { return m_nReadPos; }
    void SetReadPos(int pos) { m_nReadPos = pos; }
    int Step() const { return m_nStep; }
    void SetStep(int step) { m_nStep = step; }
    int NotifyAlways() const { return m_bNotifyAlways; }
    void SetNotifyAlways(int b) { m_bNotifyAlways = b; }

    // Fills one report (report id 0, then up to 64 frame bytes from the read position,
    // zero-padded) and advances the read position. False when every byte is out.
    bool NextReport(Report& report);
    // Sends the frame again from its first byte (after a resend request).
    void Rewind() { m_nReadPos = 0; }
    bool AllWritten() const { return m_nReadPos >= m_nLength; }

    // Header fields, for the reply dispatcher and for diagnostics.
    std::uint8_t CommandByte() const { return m_pData[4]; }
    std::uint8_t Program() const { return m_pData[6]; }
    std::uint8_t RecordType() const { return m_pData[7]; }
    std::uint8_t Index() const { return m_pData[8]; }
    std::uint8_t Block() const { return m_pData[9]; }
    std::uint8_t LinkFlag() const { return m_pData[10]; }
    int PayloadLength() const { return m_nLength - kFrameOverhead; }
    std::span<const std::uint8_t> Payload() const
    {
        return {m_pData.get() + kFrameHeaderSize, std::size_t(PayloadLength())};
    }

private:
    std::unique_ptr<std::uint8_t[]> m_pData;
    int m_nLength = 0;
    int m_nAttempts = 0;
    int m_nSeq = 0;
    int m_bNotify = 0;
    int m_bLast = 0;
    int m_nReadPos = 0;
    int m_nStep = 0;
    int m_bNotifyAlways = 0;
};

using FramePtr = std::shared_ptr<CSendData>;

// Header fields 4..11 of a frame the console sends.
struct FrameHeader {
    std::uint8_t command = CMD_WRITE;
    std::uint8_t program = 0;
    std::uint8_t recordType = 0;
    std::uint8_t index = 0;
    std::uint8_t block = 0;
    std::uint8_t link = 0;
};

// The finishing step every builder ends with: sync and start bytes, header, payload
// length, payload, checksum (XOR of bytes 4..13+n) and end byte, in a new frame object.
// Payloads larger than the staging area are refused (nullptr).
std::unique_ptr<CSendData> FinishFrame(const FrameHeader& header, std::span<const std::uint8_t> payload);

// XOR of frame bytes 4 up to the last payload byte.
std::uint8_t FrameChecksum(std::span<const std::uint8_t> frameWithoutTrailer);

} // namespace ovix
