#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>
#include <QWidget>
#include <cstdlib>

#include "data/CityDatabase.h"
#include "ui/FormSelectCity.h"

namespace {

// Runs the events, layout and painting among them, until the list shows its first row.
bool RowsAreThere(QTreeView& list) {
    for (int round = 0; round < 100; ++round) {
        QCoreApplication::processEvents();
        if (list.indexAt(QPoint(1, 1)).isValid()) {
            return true;
        }
    }
    return false;
}

// The picker open over the shipped database, sorted by country.
struct OpenPicker {
    OpenPicker() {
        owner.show();
        picker.Showup(CFormSelectCity::Purpose::Favourites);
        picker.SortByColumn(0);
    }

    QWidget owner;
    Data::CityDatabase database{SKYVANE_CITY_RECORDS_FILE};
    CFormSelectCity picker{database, &owner};
    QLineEdit& search = picker.SearchBox();
    QTreeView& list = picker.List();
};

// Opening the picker and each search must feel instant: well under 100 ms.

// The first opening of the picker: the shipped database read, every row listed.
void SelectCity_OpenOverShippedDatabase(benchmark::State& state) {
    QWidget owner;
    owner.show();
    int rows = 0;
    for (auto _ : state) {
        Data::CityDatabase database(SKYVANE_CITY_RECORDS_FILE);
        CFormSelectCity picker(database, &owner);
        picker.Showup(CFormSelectCity::Purpose::Favourites);
        if (!RowsAreThere(picker.List())) {
            state.SkipWithError("the picker showed no rows");
            break;
        }
        rows = picker.List().model()->rowCount();
        picker.reject();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(SelectCity_OpenOverShippedDatabase)->Unit(benchmark::kMillisecond);

// Three letters typed into the search box of the open picker, sorted by country,
// each keystroke narrowing the list and the list drawn again.
void SelectCity_TypeThreeLetterSearch(benchmark::State& state) {
    OpenPicker open;
    QLineEdit& search = open.search;
    QTreeView& list = open.list;
    int rows = 0;
    for (auto _ : state) {
        QTest::keyClicks(&search, "san");
        if (!RowsAreThere(list)) {
            state.SkipWithError("the search left no rows");
            break;
        }
        rows = list.model()->rowCount();
        state.PauseTiming();
        search.clear();
        RowsAreThere(list);
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(SelectCity_TypeThreeLetterSearch)->Unit(benchmark::kMillisecond);

// The same three letters taken back one by one: the rows come back in their order.
void SelectCity_EraseThreeLetterSearch(benchmark::State& state) {
    OpenPicker open;
    QLineEdit& search = open.search;
    QTreeView& list = open.list;
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        search.setText(QStringLiteral("san"));
        RowsAreThere(list);
        state.ResumeTiming();
        for (int letter = 0; letter < 3; ++letter) {
            QTest::keyClick(&search, Qt::Key_Backspace);
        }
        if (!RowsAreThere(list)) {
            state.SkipWithError("the list stayed empty");
            break;
        }
        rows = list.model()->rowCount();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(SelectCity_EraseThreeLetterSearch)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
