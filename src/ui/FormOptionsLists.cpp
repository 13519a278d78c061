#include <QComboBox>
#include <QMessageBox>
#include <QTreeWidget>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "data/Options.h"
#include "data/TimeZoneInfo.h"
#include "ui/FormEditCity.h"
#include "ui/FormEditTimeZone.h"
#include "ui/FormOptions.h"
#include "ui/FormOptionsParts.h"
#include "ui/FormSelectCity.h"

// The options dialog's lists: the home city, the favourites and the clocks.

namespace {

using namespace OptionsDialogParts;

constexpr int CityIdRole = Qt::UserRole;
// The home-city drop-down's entries other than the favourites' indexes.
constexpr int HomeEntry = -1;
constexpr int OtherCityEntry = -2;
constexpr int BlankEntry = -3;

// The favourite with the id, or the end.
std::vector<City>::iterator FindFavourite(std::vector<City>& cities, int id) {
    return std::find_if(cities.begin(), cities.end(),
                        [id](const City& city) { return city.Id == id; });
}

bool SameText(const std::string& left, const QString& right) {
    return Text(left).compare(right, Qt::CaseInsensitive) == 0;
}

}  // namespace

void CFormOptions::FillHomeCities() {
    homeCity_->clear();
    const COptions& options = *working_;
    if (options.HomeCity) {
        homeCity_->addItem(Text(options.HomeCity->CityName), HomeEntry);
    }
    homeCity_->addItem(tr(OtherCityText), OtherCityEntry);
    if (options.Cities && !options.Cities->empty()) {
        homeCity_->addItem(" ", BlankEntry);
        int index = 0;
        for (const City& city : *options.Cities) {
            homeCity_->addItem(Text(city.CityName), index++);
        }
    }
    homeCity_->setCurrentIndex(options.HomeCity ? 0 : -1);
}

void CFormOptions::FillFavourites() {
    favourites_->clear();
    const COptions& options = *working_;
    const auto addRow = [this](const City& city) {
        auto* row = new QTreeWidgetItem(favourites_, {Text(city.CityName), Text(city.Details)});
        row->setData(0, CityIdRole, city.Id);
    };
    if (options.HomeCity) {
        addRow(*options.HomeCity);
    }
    if (options.Cities) {
        for (const City& city : *options.Cities) {
            addRow(city);
        }
    }
}

void CFormOptions::FillTimeZones() {
    timeZones_->clear();
    if (!working_->TimeZones) {
        return;
    }
    for (const TimeZoneItem& item : *working_->TimeZones) {
        new QTreeWidgetItem(timeZones_, {Text(item.Label), Text(item.Info.DisplayName)});
    }
}

void CFormOptions::Message(const QString& text) {
    QMessageBox::information(this, QString(), text);
}

void CFormOptions::SwapWithHomeCity(int favouriteIndex) {
    std::vector<City>& cities = *working_->Cities;
    City chosen = std::move(cities[static_cast<std::size_t>(favouriteIndex)]);
    cities.erase(cities.begin() + favouriteIndex);
    if (working_->HomeCity) {
        cities.push_back(std::move(*working_->HomeCity));
    }
    working_->HomeCity = new City(std::move(chosen));
}

void CFormOptions::OnHomeCityActivated(int index) {
    if (!working_) {
        return;
    }
    const int entry = homeCity_->itemData(index).toInt();
    if (entry == OtherCityEntry) {
        cityPicker_->Showup(CFormSelectCity::Purpose::HomeCity);
        return;
    }
    if (entry >= 0 && working_->Cities &&
        static_cast<std::size_t>(entry) < working_->Cities->size() &&
        !(working_->HomeCity &&
          working_->HomeCity->Id == (*working_->Cities)[static_cast<std::size_t>(entry)].Id)) {
        SwapWithHomeCity(entry);
        FillFavourites();
    }
    FillHomeCities();
}

void CFormOptions::OnCitiesChosen() {
    if (!working_) {
        return;
    }
    const std::vector<CityRecord> records = cityPicker_->SelectedRecords();
    if (!working_->Cities) {
        working_->Cities = new std::vector<City>;
    }
    std::vector<City>& cities = *working_->Cities;
    const auto isHome = [this](int id) {
        return working_->HomeCity && working_->HomeCity->Id == id;
    };
    if (cityPicker_->CurrentPurpose() == CFormSelectCity::Purpose::Favourites) {
        for (const CityRecord& record : records) {
            if (!isHome(record.Id) && FindFavourite(cities, record.Id) == cities.end()) {
                cities.emplace_back(record);
            }
        }
    } else if (!records.empty() && !isHome(records.front().Id)) {
        const auto favourite = FindFavourite(cities, records.front().Id);
        if (favourite != cities.end()) {
            SwapWithHomeCity(static_cast<int>(favourite - cities.begin()));
        } else {
            if (working_->HomeCity) {
                cities.push_back(std::move(*working_->HomeCity));
            }
            working_->HomeCity = new City(records.front());
        }
    }
    FillHomeCities();
    FillFavourites();
}

void CFormOptions::OnCityChoiceCancelled() {
    if (working_ && cityPicker_->CurrentPurpose() == CFormSelectCity::Purpose::HomeCity) {
        FillHomeCities();
    }
}

void CFormOptions::OnRemoveCity() {
    const QList<QTreeWidgetItem*> rows = favourites_->selectedItems();
    if (rows.isEmpty()) {
        Message(tr(SelectCityText));
        return;
    }
    for (const QTreeWidgetItem* row : rows) {
        const int id = row->data(0, CityIdRole).toInt();
        if (working_->HomeCity && working_->HomeCity->Id == id) {
            working_->HomeCity = nullptr;
        } else if (working_->Cities) {
            const auto favourite = FindFavourite(*working_->Cities, id);
            if (favourite != working_->Cities->end()) {
                working_->Cities->erase(favourite);
            }
        }
    }
    FillFavourites();
    FillHomeCities();
}

void CFormOptions::OnChangeDisplayName(bool fromButton) {
    const QList<QTreeWidgetItem*> rows = favourites_->selectedItems();
    if (rows.size() != 1) {
        if (fromButton) {
            Message(tr(SelectOneCityText));
        }
        return;
    }
    const int id = rows.front()->data(0, CityIdRole).toInt();
    City* city = nullptr;
    if (working_->HomeCity && working_->HomeCity->Id == id) {
        city = working_->HomeCity.Get();
    } else if (working_->Cities) {
        const auto favourite = FindFavourite(*working_->Cities, id);
        city = favourite != working_->Cities->end() ? &*favourite : nullptr;
    }
    if (city == nullptr) {
        return;
    }
    CFormEditCity editor(*city, this);
    if (editor.exec() != QDialog::Accepted) {
        return;
    }
    FillFavourites();
    for (int index = 0; index < favourites_->topLevelItemCount(); ++index) {
        QTreeWidgetItem* row = favourites_->topLevelItem(index);
        if (row->data(0, CityIdRole).toInt() == id) {
            favourites_->setCurrentItem(row);
            favourites_->scrollToItem(row);
            break;
        }
    }
    FillHomeCities();
}

void CFormOptions::OnAddTimeZone() {
    std::string label;
    std::string zone;
    FormEditTimeZone editor(label, zone, this);
    if (editor.exec() != QDialog::Accepted) {
        return;
    }
    TimeZoneItem item{label, TimeZoneInfo::FindTimeZoneByDisplayName(zone)};
    if (!working_->TimeZones) {
        working_->TimeZones = new std::vector<TimeZoneItem>;
    }
    working_->TimeZones->push_back(std::move(item));
    FillTimeZones();
}

namespace {

// The first item showing the row's texts, ignoring case.
std::vector<TimeZoneItem>::iterator FindZoneOfRow(std::vector<TimeZoneItem>& items,
                                                  const QTreeWidgetItem& row) {
    return std::find_if(items.begin(), items.end(), [&row](const TimeZoneItem& item) {
        return SameText(item.Label, row.text(0)) && SameText(item.Info.DisplayName, row.text(1));
    });
}

}  // namespace

void CFormOptions::OnEditTimeZone(bool fromButton) {
    const QList<QTreeWidgetItem*> rows = timeZones_->selectedItems();
    if (rows.size() != 1) {
        if (fromButton) {
            Message(tr(SelectOneItemText));
        }
        return;
    }
    std::string label = rows.front()->text(0).toStdString();
    std::string zone = rows.front()->text(1).toStdString();
    FormEditTimeZone editor(label, zone, this);
    if (editor.exec() != QDialog::Accepted || !working_->TimeZones) {
        return;
    }
    TimeZoneItem edited{label, TimeZoneInfo::FindTimeZoneByDisplayName(zone)};
    const auto found = FindZoneOfRow(*working_->TimeZones, *rows.front());
    if (found != working_->TimeZones->end()) {
        *found = std::move(edited);
    }
    FillTimeZones();
}

void CFormOptions::OnRemoveTimeZone() {
    const QList<QTreeWidgetItem*> rows = timeZones_->selectedItems();
    if (rows.isEmpty()) {
        Message(tr(SelectOneItemText));
        return;
    }
    if (working_->TimeZones) {
        const auto found = FindZoneOfRow(*working_->TimeZones, *rows.front());
        if (found != working_->TimeZones->end()) {
            working_->TimeZones->erase(found);
        }
    }
    FillTimeZones();
}
