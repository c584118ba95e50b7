#include "document/QamrelDoc.h"

#include <cstring>

namespace ovix {

CQamrelDoc::CQamrelDoc(ParameterModel& model, CKTVCommand& command)
    : m_model(model), m_command(command), m_records(std::make_unique<CKTV_Data>(model))
{
}

DocResult CQamrelDoc::SaveSingleProgram(const std::string& path)
{
    DocResult result;
    std::unique_ptr<ProgramImage> prog;
    {
        ModelLock lock(m_model.lock);
        if (!m_records->StoreRecordsIntoProgram())
            result.message = kMsgCharLenError;
        MarkMusicOnForFile(m_model.image.current);
        prog = std::make_unique<ProgramImage>(m_model.image.current);
    }
    if (WriteSingleProgramFile(WithExtension(path, std::string(kSingleProgramExtension)), *prog) !=
        PresetStatus::Ok)
        return DocResult::Fail(kMsgSaveSingleError);
    return result;
}

DocResult CQamrelDoc::LoadSingleProgram(const std::string& path)
{
    auto prog = std::make_unique<ProgramImage>();
    if (ReadSingleProgramFile(path, *prog) != PresetStatus::Ok)
        return DocResult::Fail(kMsgReadSingleError);
    {
        ModelLock lock(m_model.lock);
        DeviceImage& img = m_model.image;
        img.current = *prog;
        // a program from a file is nobody's stored program: no marker
        std::memset(img.current.outputs[0].name, 0, sizeof img.current.outputs[0].name);
        m_records->LoadProgramIntoRecords(-1);
    }
    // to the processor's live program; disconnected, the load stands and the console says so
    m_command.StoreProgram(0, false);
    {
        ModelLock lock(m_model.lock);
        DelayMemory& dm = m_model.image.delayMemory;
        for (int ch = 0; ch < kOutputChannels; ++ch)
            dm.SetDelay(dm.CurrentSet(), ch, m_model.image.current.outputs[ch].Delay());
    }
    m_lastDelayFrame = m_command.SendSystemItem(SYS_DELAY_MEMORY, 0);
    return {};
}

DocResult CQamrelDoc::SaveAllPrograms(const std::string& path)
{
    m_pendingAllPath = WithExtension(path, std::string(kAllProgramsExtension));
    if (!m_command.ReadAllPrograms()) {
        m_pendingAllPath.clear();
        return {false, std::nullopt};  // the connection failure has been shown
    }
    return {};
}

DocResult CQamrelDoc::WriteAllProgramsFile()
{
    if (m_pendingAllPath.empty())
        return {false, std::nullopt};
    const std::string path = std::move(m_pendingAllPath);
    m_pendingAllPath.clear();
    auto file = std::make_unique<AllProgramsFile>();
    DocResult result;
    {
        ModelLock lock(m_model.lock);
        DeviceImage& img = m_model.image;
        for (ProgramImage& p : img.programs)
            MarkMusicOnForFile(p);
        if (!m_records->StoreRecordsIntoProgram())
            result.message = kMsgCharLenError;
        MarkMusicOnForFile(img.current);
        std::copy(std::begin(img.programs), std::end(img.programs), file->programs);
        file->current = img.current;
        file->delayMemory = img.delayMemory;
    }
    if (ovix::WriteAllProgramsFile(path, file->programs, file->current, file->delayMemory) != PresetStatus::Ok)
        return DocResult::Fail(kMsgSaveAllError);
    return result;
}

DocResult CQamrelDoc::LoadAllPrograms(const std::string& path)
{
    auto file = std::make_unique<AllProgramsFile>();
    if (ReadAllProgramsFile(path, *file) != PresetStatus::Ok)
        return DocResult::Fail(kMsgReadAllError);
    {
        ModelLock lock(m_model.lock);
        DeviceImage& img = m_model.image;
        std::copy(std::begin(file->programs), std::end(file->programs), img.programs);
        img.current = file->current;
        img.delayMemory = file->delayMemory;
        m_records->LoadProgramIntoRecords(-1);
    }
    m_command.DownloadAll();  // silently nothing while disconnected
    ModelLock lock(m_model.lock);
    if (m_model.image.delayMemory.current > 3)
        m_model.image.delayMemory.current = 3;
    return {};
}

} // namespace ovix
