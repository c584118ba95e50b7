#include "cli/CliSession.h"

#include "backends/DeviceOption.h"

#include <ostream>

namespace ovix::cli {

CliSession::CliSession(const LinkOptions& link) : m_model(std::make_unique<ParameterModel>())
{
    ResetImage(m_model->image);
    std::shared_ptr<IHidBackend> backend = MakeBackend(link);
    if (!backend)
        return;
    m_link = std::make_unique<CConsoleLink>(*m_model, m_flags, m_batchLock, std::move(backend), m_records,
                                            m_queue, m_ui);
    m_doc = std::make_unique<CQamrelDoc>(*m_model, m_link->Command());
    m_link->Command().SetRecordPort(&m_doc->Records());
}

CliSession::~CliSession()
{
    m_queue.Shutdown();
    m_link.reset();  // stops the link before the records go
    m_doc.reset();
}

bool CliSession::ReportFailure(std::ostream& err)
{
    if (m_ui.Message())
        err << *m_ui.Message() << '\n';
    else if (!m_link->IsConnected())
        err << "incompatible device\n";  // another family of processor: the console leaves it silently
    else
        err << EnglishText(kMsgConnectionFailure) << " (no answer in time)\n";
    return false;
}

bool CliSession::WaitFor(const std::function<bool()>& pred, std::ostream& err,
                         std::chrono::milliseconds timeout)
{
    auto handler = [this](const LinkEventMsg& msg) { m_link->HandleEvent(msg); };
    auto doneOrFailed = [&] { return pred() || m_ui.Message() || !m_link->IsConnected(); };
    m_queue.PumpUntil(handler, doneOrFailed, timeout);
    if (pred() && !m_ui.Message())
        return true;
    return ReportFailure(err);
}

bool CliSession::PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout)
{
    return m_queue.PumpUntil([this](const LinkEventMsg& msg) { m_link->HandleEvent(msg); }, pred, timeout);
}

bool CliSession::ConnectAndRead(std::ostream& err)
{
    CUsbTransport& transport = m_link->Transport();
    m_link->AutoConnect();
    if (!m_link->IsConnected()) {
        switch (transport.LastOpenError()) {
        case OpenError::Busy:
            err << EnglishText(kMsgCannotOpen) << " (the processor is in use by another program)\n";
            break;
        case OpenError::NoPermission:
            err << "The processor cannot be opened: permission denied. Install the udev rule "
                   "(packaging/70-ovix.rules, see README) and replug it.\n";
            break;
        case OpenError::NotFound:
            err << EnglishText(kMsgNoConnection) << '\n';
            break;
        default:
            err << EnglishText(kMsgCannotOpen) << '\n';
            break;
        }
        return false;
    }
    return WaitFor([this] { return m_link->Synced() && m_link->DelayMemoryReturned(); }, err);
}

void CliSession::Disconnect()
{
    if (m_link && m_link->IsConnected()) {
        m_link->SetDisconnectPause(std::chrono::milliseconds(0));
        m_link->ToggleConnection();
    }
}

std::unique_ptr<CliSession> ConnectedSession(const LinkOptions& link, std::ostream& err, int& exitCode)
{
    auto session = std::make_unique<CliSession>(link);
    if (!session->Valid()) {
        err << "ovixctl: unknown device '" << link.device << "'\n";
        exitCode = 2;
        return nullptr;
    }
    if (!session->ConnectAndRead(err)) {
        exitCode = 1;
        return nullptr;
    }
    return session;
}

} // namespace ovix::cli
