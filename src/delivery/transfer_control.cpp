#include "delivery/transfer_control.h"

#include "platform/thread/thread.h"

namespace orvia {

StopCheck StopOnSignal(LSignalObject* signal) {
    if (signal == nullptr)
        return {};
    return [signal] { return signal->IsSet(); };
}

const char* DescribeTransferStatus(TransferStatus status) {
    switch (status) {
        case TransferStatus::Ok:
            return "ok";
        case TransferStatus::NotConfigured:
            return "no server configured";
        case TransferStatus::InvalidInput:
            return "unusable address, name or server";
        case TransferStatus::Unreachable:
            return "server unreachable";
        case TransferStatus::LoginDenied:
            return "login denied";
        case TransferStatus::Refused:
            return "refused by the server";
        case TransferStatus::TimedOut:
            return "timed out";
        case TransferStatus::Aborted:
            return "stopped";
        case TransferStatus::Failed:
            return "failed";
    }
    return "failed";
}

}  // namespace orvia
