#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "core/DateTime.h"
#include "core/Nullable.h"
#include "render/Sun.h"

namespace {

constexpr double Pi = 3.141592653589793;
const double CosZenithStandard = std::cos(90.833 * Pi / 180.0);

// The Earth picture asks once per image row and shading level, at longitude 0.
void GetSunriseSunset_MaskRows(benchmark::State& state) {
    const DateTime date = DateTime(2026, 3, 15).WithKind(DateTime::Kind::Utc);
    const auto rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        for (int row = 0; row < rows; ++row) {
            Nullable<DateTime> sunrise;
            Nullable<DateTime> sunset;
            CSun::GetSunriseSunset(90.0 - row * 180.0 / rows, 0.0, date, CosZenithStandard, sunrise,
                                   sunset);
            benchmark::DoNotOptimize(sunrise);
            benchmark::DoNotOptimize(sunset);
        }
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(GetSunriseSunset_MaskRows)->Arg(180)->Arg(1080);

// Far east the rise of the date's solar day falls on the day before, which costs a
// second solar day.
void GetSunriseSunset_Place(benchmark::State& state) {
    const DateTime date = DateTime(2026, 9, 15).WithKind(DateTime::Kind::Utc);
    const double longitude = static_cast<double>(state.range(0));
    for (auto _ : state) {
        Nullable<DateTime> sunrise;
        Nullable<DateTime> sunset;
        CSun::GetSunriseSunset(35.68, longitude, date, CosZenithStandard, sunrise, sunset);
        benchmark::DoNotOptimize(sunrise);
        benchmark::DoNotOptimize(sunset);
    }
}
BENCHMARK(GetSunriseSunset_Place)->Arg(0)->Arg(140)->Arg(-120);

// The city overlay asks once per favourite city.
void IsDaylight_Cities(benchmark::State& state) {
    struct Place {
        double Latitude;
        double Longitude;
    };
    static constexpr Place Places[] = {{51.51, -0.13},   {40.71, -74.01}, {35.68, 139.69},
                                       {-33.87, 151.21}, {64.15, -21.94}, {78.22, 15.65},
                                       {-0.18, -78.47},  {19.08, 72.88}};
    const DateTime moment = DateTime(2026, 6, 21, 23, 30, 0).WithKind(DateTime::Kind::Utc);
    for (auto _ : state) {
        for (const Place& place : Places) {
            benchmark::DoNotOptimize(CSun::IsDaylight(place.Latitude, place.Longitude, moment));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(std::size(Places)));
}
BENCHMARK(IsDaylight_Cities);

}  // namespace
