#include "store/transaction_guard.h"

namespace store {
namespace {

TransactionHooks& hooks()
{
    static TransactionHooks h;
    return h;
}

} // namespace

void SetTransactionHooks(TransactionHooks h)
{
    hooks() = std::move(h);
}

const TransactionHooks& CurrentTransactionHooks()
{
    return hooks();
}

} // namespace store
