#include "link/Firmware.h"

#include "tables/RegularFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <system_error>

namespace ovix {

namespace {

bool TagAt(std::span<const std::uint8_t> file, std::size_t offset, std::string_view tag)
{
    return offset + tag.size() <= file.size() &&
           std::memcmp(file.data() + offset, tag.data(), tag.size()) == 0;
}

std::size_t CeilDiv(std::size_t n, std::size_t d) { return (n + d - 1) / d; }

FirmwareLoad Refused(MessageId id)
{
    FirmwareLoad r;
    r.error = id;
    return r;
}

} // namespace

std::size_t FirmwareImages::DspFrames() const
{
    return CeilDiv(dsp.size(), kFirmwareDspChunk);
}

std::size_t FirmwareImages::McuFrames() const
{
    return mcu.size() > kFirmwareMcuHeader ? CeilDiv(mcu.size() - kFirmwareMcuHeader, kFirmwareMcuChunk) : 0;
}

int FirmwareImages::Steps() const
{
    std::size_t n = 0;
    if (HasDsp())
        n += 2 + DspFrames();  // start, erase, data
    if (HasMcu())
        n += (HasDsp() ? 0 : 1) + 1 + McuFrames();  // start (unless sent), header, data
    if (HasDsp() || HasMcu())
        n += 1;  // finish
    return int(n);
}

FirmwareLoad ParseFirmware(std::span<const std::uint8_t> file)
{
    FirmwareImages images;
    images.fileLength = file.size();
    std::size_t pos = 0;
    if (file.size() < kFirmwareLongFile) {
        if (TagAt(file, 0, "WMCU"))
            images.mcu.assign(file.begin() + 4, file.end());
    } else {
        if (TagAt(file, 0, "WDSP")) {
            images.dsp.assign(file.begin() + kFirmwareDspOffset,
                              file.begin() + kFirmwareDspOffset + kFirmwareDspSize);
            pos = kFirmwareMcuTagOffset;
        } else {
            pos = 4;
        }
        if (TagAt(file, pos, "WMCU"))
            images.mcu.assign(file.begin() + std::ptrdiff_t(pos + 4), file.end());
    }
    // An MCU section must carry its header and at least one data byte: a shorter one
    // would end the update in the loader without a finish step.
    if (!images.mcu.empty() && images.mcu.size() <= kFirmwareMcuHeader)
        return Refused(kMsgFwUpdateFileError);
    if (!images.HasDsp() && !images.HasMcu())
        return Refused(kMsgFwUpdateFileError);
    for (std::size_t i = kFirmwareMcuHeader; i < images.mcu.size(); ++i)
        images.checksum ^= images.mcu[i];
    FirmwareLoad r;
    r.images = std::move(images);
    return r;
}

FirmwareLoad LoadFirmwareFile(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    int error = 0;
    if (path.empty() || !ReadRegularFile(path, kFirmwareMaxFile + 1, bytes, error)) {
        FirmwareLoad r = Refused(kMsgFwBinFileError);
        if (error != 0)
            r.reason = std::generic_category().message(error);
        return r;
    }
    if (bytes.size() > kFirmwareMaxFile) {
        FirmwareLoad r = Refused(kMsgFwBinFileError);
        r.reason = "larger than any firmware of this processor";
        return r;
    }
    return ParseFirmware(bytes);
}

FramePtr FirmwareStepFrame(int step, std::span<const std::uint8_t> payload)
{
    FrameHeader h;
    h.command = CMD_WRITE;
    h.program = 0;
    h.recordType = REC_SYSTEM;
    h.index = std::uint8_t(step);
    h.block = 0;
    h.link = 0;
    FramePtr frame = FinishFrame(h, payload);
    frame->SetStep(step);
    return frame;
}

CFirmwareSequence::CFirmwareSequence(FirmwareImages images) : m_images(std::move(images))
{
    // with a DSP section the DSP sequence sends the start step for both
    if (m_images.HasDsp())
        m_mcuPhase = 1;
    if (!m_images.HasDsp())
        m_dspPhase = 4;
    if (!m_images.HasMcu())
        m_mcuPhase = 4;
}

FramePtr CFirmwareSequence::Step(int step, std::span<const std::uint8_t> payload)
{
    FramePtr f = FirmwareStepFrame(step, payload);
    f->SetSeq(++m_seq);
    return f;
}

bool CFirmwareSequence::Done() const
{
    return !m_bootRequest && m_finished;
}

std::vector<FramePtr> CFirmwareSequence::Next()
{
    std::vector<FramePtr> out;
    if (m_bootRequest) {
        m_bootRequest = false;
        // its bytes are never written: the worker sends the boot request's own reports
        out.push_back(Step(FW_BOOT_REQUEST, {}));
        return out;
    }
    if (m_dspPhase != 4)
        NextDsp(out);
    else if (m_mcuPhase != 4)
        NextMcu(out);
    return out;
}

void CFirmwareSequence::NextDsp(std::vector<FramePtr>& out)
{
    const std::array<std::uint8_t, 16> zeros{};
    if (m_dspPhase == 0) {
        out.push_back(Step(FW_START, zeros));
        out.push_back(Step(FW_DSP_ERASE, zeros));
        m_dspPhase = 1;
    }
    const std::size_t left = m_images.dsp.size() - m_dspPos;
    const std::size_t n = std::min(left, kFirmwareDspChunk);
    std::array<std::uint8_t, 4 + kFirmwareDspChunk> payload{};
    for (int i = 0; i < 4; ++i)
        payload[std::size_t(i)] = std::uint8_t(m_loadAddress >> (8 * i));
    std::memcpy(payload.data() + 4, m_images.dsp.data() + m_dspPos, n);
    out.push_back(Step(FW_DSP_DATA, payload));
    m_dspPos += n;
    m_loadAddress += std::uint32_t(kFirmwareDspChunk);
    if (m_dspPos == m_images.dsp.size()) {
        m_dspPhase = 4;
        if (!m_images.HasMcu()) {
            const std::array<std::uint8_t, 1> sum{m_images.checksum};
            out.push_back(Step(FW_FINISH, sum));
            m_finished = true;
        }
    }
}

void CFirmwareSequence::NextMcu(std::vector<FramePtr>& out)
{
    if (m_mcuPhase == 0) {
        const std::array<std::uint8_t, 16> zeros{};
        out.push_back(Step(FW_START, zeros));
        m_mcuPhase = 1;
    }
    if (m_mcuPhase == 1) {
        out.push_back(Step(FW_MCU_HEADER, {m_images.mcu.data(), kFirmwareMcuHeader}));
        m_mcuPhase = 2;
        m_mcuPos = kFirmwareMcuHeader;
    }
    const std::size_t left = m_images.mcu.size() - m_mcuPos;
    const std::size_t n = std::min(left, kFirmwareMcuChunk);
    std::array<std::uint8_t, kFirmwareMcuChunk> payload;
    payload.fill(0xFF);
    std::memcpy(payload.data(), m_images.mcu.data() + m_mcuPos, n);
    out.push_back(Step(FW_MCU_DATA, payload));
    m_mcuPos += n;
    if (m_mcuPos == m_images.mcu.size()) {
        m_mcuPhase = 4;
        const std::array<std::uint8_t, 1> sum{m_images.checksum};
        out.push_back(Step(FW_FINISH, sum));
        m_finished = true;
    }
}

} // namespace ovix
