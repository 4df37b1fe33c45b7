// Background work whose control aborts the transfer under way.
#pragma once

#include "base/background_task.h"
#include "net/http_client_win.h"

namespace tickra {

template <class Result>
using NetTask = BackgroundTask<Result, TransferControl>;

}  // namespace tickra
