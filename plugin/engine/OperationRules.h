// What each host operation code needs before it may run, and whether it is
// offered. The host defines the codes; the handler knows them only by number.
#pragma once
#include <cstdint>

enum class PrepareRule { Ready, NeedsLogin, Refused };
enum class Availability { Always, WhenLoggedIn, Never };

// Codes outside the tables (negative, or beyond the last known code) are refused.
PrepareRule PrepareRuleOf(int32_t operation);
Availability AvailabilityOf(int32_t operation);
