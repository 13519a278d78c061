#!/usr/bin/python3
"""Writes the table of sunrise and sunset times that the sun tests compare against.

The times come from PyEphem (Debian's python3-ephem), an implementation of the
solar position independent of the program's own low-precision model. Run it with
the system interpreter, which has ephem:

    /usr/bin/python3 tools/sun-reference/make_sun_table.py > tests/render/data/sun-reference.csv

Definitions, matched to the program's standard zenith of 90.833 degrees:
- no refraction (pressure 0); the centre of the sun 50 arc-minutes below the
  geometric horizon (horizon -0:50, use_center=True);
- sunrise: the first rising on the given UTC date, empty when there is none;
- sunset: the first setting after that sunrise, empty when there is no sunrise or
  the sun does not set within a day of it.

Every crossing is checked against a scan of the sun's altitude; a disagreement
stops the script instead of writing a doubtful table.
"""

import datetime
import sys

import ephem

HORIZON = "-0:50"
HORIZON_DEGREES = -50.0 / 60.0

# name, latitude (north positive), longitude (east positive)
PLACES = [
    ("Quito", -0.18, -78.47),
    ("Singapore", 1.35, 103.82),
    ("Nairobi", -1.29, 36.82),
    ("Accra", 5.60, -0.19),
    ("Apia", -13.83, -171.76),
    ("Suva", -18.14, 178.44),
    ("Mumbai", 19.08, 72.88),
    ("Honolulu", 21.31, -157.86),
    ("Rio de Janeiro", -22.91, -43.17),
    ("Cape Town", -33.92, 18.42),
    ("Sydney", -33.87, 151.21),
    ("Buenos Aires", -34.60, -58.38),
    ("Los Angeles", 34.05, -118.24),
    ("Tokyo", 35.68, 139.69),
    ("Auckland", -36.85, 174.76),
    ("New York", 40.71, -74.01),
    ("Chatham Islands", -43.95, -176.56),
    ("London", 51.51, -0.13),
    ("Petropavlovsk-Kamchatsky", 53.02, 158.65),
    ("Punta Arenas", -53.16, -70.91),
    ("Helsinki", 60.17, 24.94),
    ("Anchorage", 61.22, -149.90),
    ("Yakutsk", 62.03, 129.73),
    ("Esperanza Base", -63.40, -56.99),
    ("Reykjavik", 64.15, -21.94),
    ("Nuuk", 64.18, -51.69),
    ("Arkhangelsk", 64.54, 40.54),
    ("Fairbanks", 64.84, -147.72),
    ("Vernadsky Station", -65.25, -64.26),
    ("Casey Station", -66.28, 110.53),
    ("Rovaniemi", 66.50, 25.73),
]

DATES = [datetime.date(2026, month, day) for month in range(1, 13) for day in (1, 15)]

ONE_SECOND = 1.0 / 86400.0
SCAN_STEP = 2.0 / 1440.0


def make_observer(latitude, longitude):
    observer = ephem.Observer()
    observer.lat = str(latitude)  # text is read as degrees, a float as radians
    observer.lon = str(longitude)
    observer.elevation = 0.0
    observer.pressure = 0.0
    observer.horizon = HORIZON
    return observer


def altitude_above_horizon(observer, sun, when):
    observer.date = when
    sun.compute(observer)
    return float(sun.alt) * 180.0 / ephem.pi - HORIZON_DEGREES


def scan_crossings(observer, start, end):
    """All crossings of the horizon in [start, end) as (date, rising) pairs."""
    sun = ephem.Sun()
    crossings = []
    when = start
    before = altitude_above_horizon(observer, sun, when)
    while when < end:
        after = altitude_above_horizon(observer, sun, when + SCAN_STEP)
        if (before < 0.0) != (after < 0.0):
            low, high = when, when + SCAN_STEP
            while high - low > ONE_SECOND / 10.0:
                middle = (low + high) / 2.0
                if (altitude_above_horizon(observer, sun, middle) < 0.0) == (before < 0.0):
                    low = middle
                else:
                    high = middle
            crossings.append((ephem.Date((low + high) / 2.0), before < 0.0))
        when += SCAN_STEP
        before = after
    return crossings


def ephem_crossing(observer, start, rising):
    try:
        if rising:
            return observer.next_rising(ephem.Sun(), start=start, use_center=True)
        return observer.next_setting(ephem.Sun(), start=start, use_center=True)
    except (ephem.AlwaysUpError, ephem.NeverUpError):
        return None


def crossings_of_day(latitude, longitude, date):
    observer = make_observer(latitude, longitude)
    day_start = ephem.Date(date.strftime("%Y/%m/%d 00:00:00"))
    day_end = ephem.Date(day_start + 1.0)

    sunrise = ephem_crossing(observer, day_start, True)
    if sunrise is not None and sunrise >= day_end:
        sunrise = None
    sunset = None
    if sunrise is not None:
        sunset = ephem_crossing(observer, sunrise, False)
        if sunset is not None and sunset >= sunrise + 1.0:
            sunset = None

    scanned = scan_crossings(observer, day_start, ephem.Date(day_start + 2.0))
    scanned_rise = next((when for when, rising in scanned if rising and when < day_end), None)
    scanned_set = None
    if scanned_rise is not None:
        scanned_set = next(
            (when for when, rising in scanned
             if not rising and scanned_rise < when < scanned_rise + 1.0), None)
    for name, found, expected in (("sunrise", sunrise, scanned_rise),
                                  ("sunset", sunset, scanned_set)):
        if (found is None) != (expected is None) or (
                found is not None and abs(found - expected) > 2 * ONE_SECOND):
            sys.exit("%s at %s %s on %s: ephem %s, altitude scan %s"
                     % (name, latitude, longitude, date, found, expected))
    return sunrise, sunset


def format_time(when):
    if when is None:
        return ""
    moment = ephem.Date(when).datetime() + datetime.timedelta(microseconds=500000)
    return moment.strftime("%Y-%m-%dT%H:%M:%SZ")


def main():
    out = sys.stdout
    out.write("# Made by tools/sun-reference/make_sun_table.py with PyEphem %s: UTC crossings of "
              "the sun's centre 50' below the horizon without refraction; sunrise on the date, "
              "sunset the first after it; empty where there is none.\n" % ephem.__version__)
    out.write("place,latitude,longitude,date,sunrise,sunset\n")
    for name, latitude, longitude in PLACES:
        for date in DATES:
            sunrise, sunset = crossings_of_day(latitude, longitude, date)
            out.write("%s,%.2f,%.2f,%s,%s,%s\n" % (name, latitude, longitude, date.isoformat(),
                                                   format_time(sunrise), format_time(sunset)))


if __name__ == "__main__":
    main()
