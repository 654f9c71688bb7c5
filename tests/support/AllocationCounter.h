#pragma once

// Counts every call of the global operator new in this test program (the replacement operators
// live in AllocationCounter.cpp), so a test can prove that a stretch of code allocates nothing.
class AllocationCounter
{
public:
    static long count() noexcept;
};
