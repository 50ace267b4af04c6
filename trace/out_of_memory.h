// Allocation failures that name what could not be allocated.
//
// A cook can ask for far more memory than a machine has: a scatter count of
// a billion rays from one point needs tens of gigabytes at once. The bare
// std::bad_alloc says nothing a user can act on, so the places that make the
// cook's large allocations turn it into an OutOfMemory whose message names
// the item, how many, and how much memory they need. It still is a
// std::bad_alloc, so callers that only know that type handle it as before.
#pragma once

#include <cstdint>
#include <new>
#include <string>

class OutOfMemory : public std::bad_alloc
{
public:
    // message: the whole one-line text, starting "Out of memory: ".
    explicit OutOfMemory(std::string message) : myMessage(std::move(message)) {}
    const char *what() const noexcept override { return myMessage.c_str(); }

private:
    std::string myMessage;
};

// A byte count for people, in decimal units: "512 bytes", "1.5 kB", "18 GB",
// "114 GB". Three significant digits at most, rounded up, so that the amount
// shown is never less than the amount needed.
std::string memoryAmountText(uint64_t bytes);

// "Out of memory: <count> <items> need <amount>".
OutOfMemory outOfMemoryFor(uint64_t count, const char *items, uint64_t bytes);
