#include "line/vline.h"

#include <utility>

#include "platform/text/utf8_text.h"
#include "platform/thread/thread_affinity.h"

namespace orvia {
namespace {

// The printable characters of a caller id field, at most kCallerIdMax bytes.
std::string CallerIdText(std::string_view text) {
    return PrintableUtf8(text, LVLine::kCallerIdMax);
}

}  // namespace

LVLine::~LVLine() {
    guest_.reset();
    active_ = nullptr;
    owner_.reset();
    pending_.reset();
    retired_.clear();
}

void LVLine::SetOwner(std::unique_ptr<LIVRCell> cell) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (owner_ && active_ == owner_.get())
        guest_ = std::move(owner_);
    else
        Retire(std::move(owner_));
    owner_ = std::move(cell);
    if (owner_)
        owner_->line_ = this;
}

void LVLine::SetActiveCell(std::unique_ptr<LIVRCell> cell) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (depth_ > 0) {
        pending_ = std::move(cell);
        return;
    }
    Stop();
    ReplaceActive(std::move(cell));
    if (!active_) {
        Drop();
        return;
    }
    active_->line_ = this;
    ++depth_;
    active_->OnConnected();
    EndDispatch();
}

bool LVLine::Ring(int32_t count) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!owner_)
        return false;
    ++depth_;
    const bool answer = owner_->OnRing(count);
    EndDispatch();
    return answer;
}

void LVLine::CallConnected() {
    ORVIA_ASSERT_MAIN_THREAD();
    if (active_ && active_ != owner_.get())
        CallEnded();
    active_ = owner_.get();
    if (!owner_)
        return;
    owner_->line_ = this;
    ++depth_;
    owner_->OnConnected();
    EndDispatch();
}

void LVLine::CallEnded() {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!active_) {
        // A call that ended before it connected (the caller gave up between
        // the answer and the connection, or the answer failed): the owner may
        // have accepted it and still waits for the connection, so it hears
        // that the call is over too.
        if (owner_) {
            ++depth_;
            owner_->OnDisconnected();
            pending_.reset();
            EndDispatch();
        }
        return;
    }
    ++depth_;
    active_->OnDisconnected();
    pending_.reset();
    EndDispatch();
    // The handler may have ended the call itself from inside OnDisconnected.
    if (active_ && active_ != owner_.get())
        Retire(std::move(guest_));
    active_ = nullptr;
}

template <class Event>
void LVLine::Deliver(Event&& event) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!active_)
        return;
    ++depth_;
    event(*active_);
    EndDispatch();
}

void LVLine::OnDigit(char key) {
    Deliver([key](LIVRCell& cell) { cell.OnDigit(key); });
}

void LVLine::OnDialComplete() {
    Deliver([](LIVRCell& cell) { cell.OnDialComplete(); });
}

void LVLine::OnPlayComplete() {
    Deliver([](LIVRCell& cell) { cell.OnPlayComplete(); });
}

void LVLine::OnWaitComplete() {
    Deliver([](LIVRCell& cell) { cell.OnWaitComplete(); });
}

void LVLine::OnRecordPosition(uint32_t ticks) {
    Deliver([ticks](LIVRCell& cell) { cell.OnRecordPosition(ticks); });
}

void LVLine::OnRecordLevel(int8_t db) {
    Deliver([db](LIVRCell& cell) { cell.OnRecordLevel(db); });
}

void LVLine::OnPlayPosition(uint32_t ticks) {
    Deliver([ticks](LIVRCell& cell) { cell.OnPlayPosition(ticks); });
}

void LVLine::OnPlayLevel(int8_t db) {
    if (!active_) {
        Drop();
        return;
    }
    Deliver([db](LIVRCell& cell) { cell.OnPlayLevel(db); });
}

void LVLine::OnFaxTone() {
    Deliver([](LIVRCell& cell) { cell.OnFaxTone(); });
}

void LVLine::SetCallerId(std::string_view number, std::string_view name) {
    callerNumber_ = CallerIdText(number);
    callerName_ = CallerIdText(name);
}

void LVLine::ClearCallerId() {
    callerNumber_.clear();
    callerName_.clear();
}

void LVLine::EndDispatch() {
    if (depth_ > 0)
        --depth_;
    if (depth_ > 0)
        return;
    retired_.clear();
    if (!pending_)
        return;
    Stop();
    ReplaceActive(std::move(pending_));
    active_->line_ = this;
    ++depth_;
    active_->OnConnected();
    EndDispatch();
}

void LVLine::Retire(std::unique_ptr<LIVRCell> cell) {
    if (!cell)
        return;
    if (depth_ > 0)
        retired_.push_back(std::move(cell));
}

void LVLine::ReplaceActive(std::unique_ptr<LIVRCell> cell) {
    Retire(std::move(guest_));
    guest_ = std::move(cell);
    active_ = guest_.get();
}

}  // namespace orvia
