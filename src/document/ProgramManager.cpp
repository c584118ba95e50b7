#include "document/ProgramManager.h"

#include "tables/TextField.h"

#include <algorithm>
#include <cstring>

namespace ovix {

namespace {

// The first 13 characters of a name field as they count when names are compared: up to the
// first zero byte, without trailing blanks. The console writes names padded with zero
// bytes, the processor sends them back padded with blanks; both are the same name.
std::string SignificantName(const std::uint8_t* field)
{
    const std::uint8_t* end = std::find(field, field + kProgramNameChars, std::uint8_t{0});
    std::string s(field, end);
    while (!s.empty() && (s.back() == ' ' || std::uint8_t(s.back()) < 0x20))
        s.pop_back();
    return s;
}

} // namespace

std::string ShownProgramName(const ProgramImage& prog)
{
    return DecodeTextField({prog.name, 15});
}

std::optional<MessageId> MessageOf(StoreOutcome outcome)
{
    switch (outcome) {
    case StoreOutcome::NameEmpty:
        return kMsgNameEmpty;
    case StoreOutcome::NameAllSpaces:
        return kMsgNameAllSpaces;
    case StoreOutcome::NameTaken:
        return kMsgNameTaken;
    case StoreOutcome::NameTooLong:
        return kMsgCharLenError;
    case StoreOutcome::Stored:
    case StoreOutcome::NotConnected:
        break;
    }
    return std::nullopt;
}

StoreOutcome CheckProgramName(const DeviceImage& img, int program, std::string_view text)
{
    if (text.empty())
        return StoreOutcome::NameEmpty;
    if (std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; }))
        return StoreOutcome::NameAllSpaces;
    std::uint8_t field[16];
    if (EncodeTextField(field, text) != TextFieldResult::Ok)
        return StoreOutcome::NameTooLong;
    const std::string wanted = SignificantName(field);
    for (int p = 1; p <= kManagedPrograms; ++p)
        if (p != program && SignificantName(img.Program(p).name) == wanted)
            return StoreOutcome::NameTaken;
    return StoreOutcome::Stored;
}

CProgramManager::CProgramManager(ParameterModel& model, CKTVCommand& command, ICommandHost& host)
    : m_model(model), m_command(command), m_host(host)
{
}

std::string CProgramManager::ProgramName(int program) const
{
    if (program < 1 || program > kStoredPrograms)
        return {};
    ModelLock lock(m_model.lock);
    return ShownProgramName(m_model.image.Program(program));
}

StoreOutcome CProgramManager::Store(int program, std::string_view text)
{
    if (program < 1 || program > kManagedPrograms)
        return StoreOutcome::NotConnected;
    {
        ModelLock lock(m_model.lock);
        const StoreOutcome check = CheckProgramName(m_model.image, program, text);
        if (check != StoreOutcome::Stored)
            return check;
    }
    if (!m_host.IsConnected()) {
        m_host.ShowConnectionFailure();
        return StoreOutcome::NotConnected;
    }
    {
        ModelLock lock(m_model.lock);
        DeviceImage& img = m_model.image;
        EncodeTextField(img.Program(program).name, text);
        std::memcpy(img.current.name, img.Program(program).name, sizeof img.current.name);
    }
    m_command.StoreProgram(program, true);
    return StoreOutcome::Stored;
}

bool CProgramManager::Recall(int program)
{
    if (!Synced() || program < 1 || program > kManagedPrograms)
        return false;
    {
        ModelLock lock(m_model.lock);
        DeviceImage& img = m_model.image;
        std::memcpy(img.current.name, img.Program(program).name, sizeof img.current.name);
    }
    return m_command.RecallProgram(program);
}

bool CProgramManager::Delete(int program)
{
    if (!Synced() || program < 1 || program > kManagedPrograms)
        return false;
    {
        ModelLock lock(m_model.lock);
        std::memset(m_model.image.Program(program).name, 0, sizeof m_model.image.current.name);
    }
    return m_command.SendSystemItem(SYS_PROGRAM_NAME, program) != nullptr;
}

} // namespace ovix
