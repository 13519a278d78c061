#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/TimeZoneItem.h"

// The chosen clocks of the options, made only when first looked at. Making an
// item needs the system's zone list, which takes longer to build than the rest
// of a one-shot picture, and most pictures show no clock. Until then the list
// keeps what it is to be made from: the default items, or the lines of
// "TimeZones.txt" as they were when the options were loaded.
//
// Otherwise it is the owning pointer it stands in for: it may be null, looking
// through a null list raises with the owning pointer's location texts, and
// testing it for null makes nothing.
class LazyTimeZoneItems {
public:
    using Items = std::vector<TimeZoneItem>;

    // Null.
    LazyTimeZoneItems() = default;
    LazyTimeZoneItems(LazyTimeZoneItems&&) noexcept = default;
    LazyTimeZoneItems& operator=(LazyTimeZoneItems&&) noexcept = default;
    LazyTimeZoneItems(const LazyTimeZoneItems&) = delete;
    LazyTimeZoneItems& operator=(const LazyTimeZoneItems&) = delete;
    ~LazyTimeZoneItems();

    // New York, London, Berlin and Tokyo, made on first use.
    static LazyTimeZoneItems Defaults();
    // The items of a file's content, replacing whatever the list held, made on
    // first use; lines lost to damage then leave a line in the log under path.
    void ReplaceWithFileContent(std::string content, std::string path);
    // A deep copy; a list not made yet stays unmade in the copy. Raises for a null list.
    LazyTimeZoneItems Copy() const;

    // Takes ownership; null empties the list.
    LazyTimeZoneItems& operator=(Items* items);

    Items* operator->() const;
    Items& operator*() const;
    bool IsNull() const { return !items_ && !source_; }

    // Whether making the items from the file dropped lines (damaged, or of
    // zones the system lacks); makes them first. Cleared by ForgetLostLines.
    bool LostLines() const;
    void ForgetLostLines() { lostLines_ = false; }
    explicit operator bool() const { return !IsNull(); }

private:
    // The content of "TimeZones.txt", or none for the default items.
    using Source = std::optional<std::string>;

    void Make() const;

    mutable std::unique_ptr<Items> items_;
    mutable std::optional<Source> source_;
    std::string path_;
    mutable bool lostLines_ = false;
};
