#include "net/transfer_limits.h"

namespace tickra {

TransferLimits LimitsFor(TransferKind kind) {
    switch (kind) {
        case TransferKind::kQuote:
        case TransferKind::kChart:
            return {5000, 8000, 4u << 20};
        case TransferKind::kHistory:
        case TransferKind::kUpdatePage:
            return {15000, 45000, 4u << 20};
        case TransferKind::kUpgradeImage:
            return {15000, 300000, 64u << 20};
        case TransferKind::kUpgradeSignature:
            return {5000, 10000, 1024};
    }
    return {};
}

}  // namespace tickra
