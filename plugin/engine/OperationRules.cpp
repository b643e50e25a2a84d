#include "OperationRules.h"

#include <iterator>

namespace {

constexpr PrepareRule R = PrepareRule::Ready;
constexpr PrepareRule L = PrepareRule::NeedsLogin;
constexpr PrepareRule X = PrepareRule::Refused;

// Indexed by operation code 0..18. Code 2 prepares without a login although it
// is offered only after one; 15..18 prepare although they are never offered.
constexpr PrepareRule kPrepare[] = {
    R, L, R, L, R, L, R, L, X, L, R, L, L, R, R, R, R, R, R,
};

constexpr Availability A = Availability::Always;
constexpr Availability W = Availability::WhenLoggedIn;
constexpr Availability N = Availability::Never;

// Indexed by operation code 0..17.
constexpr Availability kAvailable[] = {
    A, W, W, W, A, A, A, W, N, W, A, W, W, A, A, N, N, N,
};

template <typename T, size_t n>
T Lookup(const T (&table)[n], int32_t operation, T outside)
{
    if (operation < 0 || static_cast<size_t>(operation) >= n)
        return outside;
    return table[operation];
}

}  // namespace

PrepareRule PrepareRuleOf(int32_t operation) { return Lookup(kPrepare, operation, PrepareRule::Refused); }

Availability AvailabilityOf(int32_t operation) { return Lookup(kAvailable, operation, Availability::Never); }
