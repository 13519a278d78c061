#include "data/LazyTimeZoneItems.h"

#include <utility>

#include "core/CPtr.h"
#include "core/Exceptions.h"
#include "data/ChosenTimeZones.h"
#include "data/UserFiles.h"

LazyTimeZoneItems::~LazyTimeZoneItems() = default;

LazyTimeZoneItems LazyTimeZoneItems::Defaults() {
    LazyTimeZoneItems defaults;
    defaults.source_.emplace();
    return defaults;
}

void LazyTimeZoneItems::ReplaceWithFileContent(std::string content, std::string path) {
    items_.reset();
    source_.emplace(std::move(content));
    path_ = std::move(path);
    lostLines_ = false;
}

bool LazyTimeZoneItems::LostLines() const {
    Make();
    return lostLines_;
}

LazyTimeZoneItems LazyTimeZoneItems::Copy() const {
    LazyTimeZoneItems copy;
    if (items_) {
        copy.items_ = std::make_unique<Items>(*items_);
    } else if (source_) {
        copy.source_ = source_;
    } else {
        RaiseError(CPtrLocations<Items>::Star);
    }
    copy.path_ = path_;
    copy.lostLines_ = lostLines_;
    return copy;
}

LazyTimeZoneItems& LazyTimeZoneItems::operator=(Items* items) {
    if (items != items_.get()) {
        items_.reset(items);
    }
    source_.reset();
    return *this;
}

void LazyTimeZoneItems::Make() const {
    if (!source_) {
        return;
    }
    std::size_t skipped = 0;
    auto items = std::make_unique<Items>(*source_ ? ParseTimeZoneItems(**source_, &skipped)
                                                  : DefaultTimeZoneItems());
    items_ = std::move(items);
    source_.reset();
    if (skipped > 0) {
        lostLines_ = true;
        UserFiles::LogDamage(path_, "lost " + std::to_string(skipped) +
                                        " line(s), damaged or of zones the system lacks");
    }
}

LazyTimeZoneItems::Items* LazyTimeZoneItems::operator->() const {
    Make();
    if (!items_) {
        RaiseError(CPtrLocations<Items>::Arrow);
    }
    return items_.get();
}

LazyTimeZoneItems::Items& LazyTimeZoneItems::operator*() const {
    Make();
    if (!items_) {
        RaiseError(CPtrLocations<Items>::Star);
    }
    return *items_;
}
