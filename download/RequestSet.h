#pragma once
// Which steps of a download session the technician asked for.

#include <bitset>
#include <stdexcept>

enum SessionStep {
    DownloadAlgoStatus = 0,
    PostProcessAlgoStatus = 1,
    DownloadEngineData = 2,
    PostProcessEngineData = 3,
    DownloadFlightHistory = 4,
    PostProcessFlightHistory = 5,
    EraseData = 6,
    SessionComplete = 7,
};

constexpr int kRequestableSteps = 7;

class RequestSet {
public:
    // The algorithm status is always fetched; "Download" adds the engine data
    // and flight history, "Erase" the erase.
    static RequestSet fromChoices(bool download, bool erase)
    {
        RequestSet set;
        set.bits_.set(DownloadAlgoStatus).set(PostProcessAlgoStatus);
        if (download)
            for (int step = DownloadEngineData; step <= PostProcessFlightHistory; ++step)
                set.bits_.set(step);
        if (erase)
            set.bits_.set(EraseData);
        return set;
    }

    bool contains(int step) const
    {
        if (step < 0 || step >= kRequestableSteps)
            throw std::out_of_range("session step outside the request set");
        return bits_.test(std::size_t(step));
    }
    void add(int step) { bits_.set(std::size_t(step)); }
    unsigned long bits() const { return bits_.to_ulong(); }

private:
    std::bitset<kRequestableSteps> bits_;
};
