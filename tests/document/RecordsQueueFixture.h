#pragma once
// The records of a fresh image over a command engine with its send queue and no link
// worker: what the editing classes are tested on.

#include "link/KTVCommand.h"
#include "model/KTV_Data.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ovix::test {

class RecordsQueue : public ::testing::Test {
protected:
    void SetUp() override
    {
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        records = std::make_unique<CKTV_Data>(*model);
        command = std::make_unique<CKTVCommand>(*model, flags, lock, host);
        command->SetRecordPort(records.get());
    }
    // As after a connect: the processor's program is in the records and edits are sent.
    void Connect()
    {
        host.m_bConnected = true;
        model->flags.synced = 1;
    }
    CKTV_OutData& Out(int ch) { return records->Out(ch); }

    // The queued frames, oldest first: "R:ch" a record write (with "!" when it notifies and
    // markNotify is set), "L:ch:on" a level block with the on-flag it carries.
    std::vector<std::string> QueuedFrames(bool markNotify) const
    {
        std::vector<std::string> got;
        for (const auto& f : command->Queue().Snapshot()) {
            if (f->Block() == OutputBlock::kLevelItem)
                got.push_back("L:" + std::to_string(f->Index()) + ":" + std::to_string(f->Payload()[0]));
            else
                got.push_back("R:" + std::to_string(f->Index()) + (markNotify && f->NotifyAlways() ? "!" : ""));
        }
        return got;
    }

    std::unique_ptr<ParameterModel> model;
    LinkFlags flags;
    std::recursive_mutex lock;
    CommandHostState host;
    std::unique_ptr<CKTV_Data> records;
    std::unique_ptr<CKTVCommand> command;
};

} // namespace ovix::test
