// The worker that runs transfers: its control aborts the transfer under way.
#pragma once

#include "base/worker.h"
#include "net/http_client_win.h"
#include "net/transfer_slot.h"

namespace tickra {

using NetWorker = Worker<TransferControl>;
using NetSlot = TransferSlot<TransferControl>;

}  // namespace tickra
