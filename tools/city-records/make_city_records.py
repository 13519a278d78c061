#!/usr/bin/env python3
"""Builds the city database assets/CityRecords.txt.

One record per airport that has a municipality and whose ICAO code is a METAR
station, plus the default favourite cities and the default home city with
their fixed ids and fields. Standard library only; see README.md.
"""

import argparse
import gzip
import json
import math
import os
import re
import struct
import sys
from pathlib import Path

REPOSITORY = Path(__file__).resolve().parents[2]
DEFAULT_SOURCE = REPOSITORY.parent / "shared" / "assets-src" / "cities"
DEFAULT_OUTPUT = REPOSITORY / "assets" / "CityRecords.txt"

# Generated ids are this offset plus the station code read as a base-36 number,
# so they stay clear of the fixed ids below and never change for a station.
GENERATED_ID_OFFSET = 1_000_000
STATION_PATTERN = re.compile(r"^[A-Z0-9]{4}$")
INT32_MAX = 2**31 - 1
# The program reads lines through a buffer of this size.
LINE_BUFFER = 5120

# The default favourites and the default home city, exactly as the program
# builds them: Id, Station, Country, CityName, Details, Latitude, Longitude.
# FAJS is Johannesburg's historical code; the program's defaults still use it.
FIXED_RECORDS = [
    (358900, "KMIA", "USA", "Miami", "Miami International Airport", 25.791, -80.316),
    (370800, "KJFK", "USA", "New York", "Kennedy International Airport", 40.639, -73.762),
    (113600, "LFPO", "France", "Paris", "Orly", 48.733, 2.4),
    (221800, "LEMD", "Spain", "Madrid", "Barajas", 40.45, -3.55),
    (152100, "LIRF", "Italy", "Roma", "Fiumicino", 41.8, 12.233),
    (163300, "RJAA", "Japan", "Tokyo", "New Tokyo International Airport", 35.767, 140.383),
    (213600, "WSSS", "Singapore", "Singapore", "Changi Airport", 1.367, 103.983),
    (216100, "FAJS", "South Africa", "Johannesburg", "", -26.133, 28.233),
    (227400, "ESSA", "Sweden", "Stockholm", "Arlanda", 59.65, 17.95),
    (79800, "CYVR", "Canada", "Vancouver", "International Airport", 49.183, -123.167),
    (12100, "YSSY", "Australia", "Sydney", "", -33.95, 151.183),
    (86600, "ZBAA", "China", "Beijing", "", 39.933, 116.283),
    (133400, "VHHH", "Hong Kong", "Hong Kong", "", 22.333, 114.183),
    (136800, "VIDP", "India", "New Delhi", "Palam", 28.567, 77.117),
    (23000, "SBBR", "Brazil", "Brasilia", "", -15.867, -47.933),
    (175100, "MMMX", "Mexico", "Mexico City", "Licenci", 19.433, -99.1),
    (348400, "KLAX", "USA", "Los Angeles", "Los Angeles International Airport", 33.938, -118.389),
]

COUNTRY_OVERRIDES = {"US": "USA"}


class DataError(Exception):
    pass


def clean_field(text):
    """No field may hold the separator or break the line."""
    text = text.replace(";", ",")
    text = "".join(" " if ord(ch) < 32 or ord(ch) == 127 else ch for ch in text)
    return " ".join(text.split())


def station_id(station):
    if not STATION_PATTERN.match(station):
        raise DataError(f"station code {station!r} is not four letters or digits")
    return GENERATED_ID_OFFSET + int(station, 36)


def coordinate_text(value, limit, what, where):
    """Six decimals of the value as a 32-bit float, as the program writes it."""
    if not math.isfinite(value) or abs(value) > limit:
        raise DataError(f"{where}: {what} {value!r} out of range")
    as_float = struct.unpack("<f", struct.pack("<f", value))[0]
    return "%.6f" % as_float


def read_metar_stations(path):
    stations = set()
    section = None
    with gzip.open(path, "rt", encoding="utf-8") as lines:
        for line in lines:
            header = re.match(r"^\[([^\]]+)\]\s*$", line)
            if header:
                section = header.group(1).strip().upper()
            elif section is not None and re.match(r"^metar\s*=", line):
                stations.add(section)
    return stations


def read_countries(path):
    with open(path, encoding="utf-8") as file:
        countries = {entry["code"]: clean_field(entry["name"]) for entry in json.load(file)}
    countries.update(COUNTRY_OVERRIDES)
    return countries


def airport_preference(airport):
    """Where two airports share a station, the large one, then the older entry."""
    rank = 0 if airport.get("type") == "large_airport" else 1
    try:
        number = int(airport.get("id", ""))
    except ValueError:
        number = INT32_MAX
    return (rank, number, airport.get("ident", ""))


def generated_records(source):
    stations = read_metar_stations(source / "metar-stations.gz")
    countries = read_countries(source / "countries.json")
    with open(source / "airports.json", encoding="utf-8") as file:
        airports = json.load(file)

    chosen = {}
    for airport in airports:
        station = (airport.get("gps_code") or "").strip().upper()
        city = clean_field(airport.get("municipality") or "")
        if station not in stations or not city:
            continue
        if station in chosen:
            print(f"note: {station} names two airports; keeping one", file=sys.stderr)
            if airport_preference(airport) >= airport_preference(chosen[station]):
                continue
        chosen[station] = airport

    records = []
    for station, airport in chosen.items():
        code = airport.get("iso_country", "")
        if code not in countries:
            raise DataError(f"{station}: unknown country code {code!r}")
        where = f"{station} ({airport.get('name', '')})"
        records.append(
            (
                station_id(station),
                station,
                countries[code],
                clean_field(airport["municipality"]),
                clean_field(airport.get("name") or ""),
                coordinate_text(float(airport["latitude_deg"]), 90.0, "latitude", where),
                coordinate_text(float(airport["longitude_deg"]), 180.0, "longitude", where),
            )
        )
    return records


def fixed_records():
    return [
        (id_, station, country, city, details,
         coordinate_text(latitude, 90.0, "latitude", station),
         coordinate_text(longitude, 180.0, "longitude", station))
        for id_, station, country, city, details, latitude, longitude in FIXED_RECORDS
    ]


def build(source):
    fixed = fixed_records()
    fixed_stations = {record[1] for record in fixed}
    records = [r for r in generated_records(source) if r[1] not in fixed_stations] + fixed

    owners = {}
    for record in records:
        id_, station = record[0], record[1]
        if not 0 < id_ <= INT32_MAX:
            raise DataError(f"{station}: id {id_} does not fit the program's 32-bit id")
        if id_ in owners:
            raise DataError(f"id {id_} of {station} collides with {owners[id_]}")
        owners[id_] = station
        for field in record[1:5]:
            if ";" in field or "\r" in field or "\n" in field:
                raise DataError(f"{station}: field {field!r} would break the line")

    records.sort(key=lambda record: (record[2], record[3], record[1]))
    lines = [";".join([str(record[0]), *record[1:]]) for record in records]
    for line in lines:
        if len(line.encode("utf-8")) >= LINE_BUFFER:
            raise DataError(f"line too long for the program's reader: {line[:60]}...")
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", type=Path, default=DEFAULT_SOURCE,
                        help="folder with airports.json, countries.json, metar-stations.gz")
    parser.add_argument("--output", type=Path, default=DEFAULT_OUTPUT)
    arguments = parser.parse_args()
    try:
        lines = build(arguments.source)
    except (DataError, OSError, KeyError, ValueError) as error:
        print(f"make_city_records: {error}", file=sys.stderr)
        return 1

    temporary = arguments.output.with_name(arguments.output.name + ".temp")
    with open(temporary, "w", encoding="utf-8", newline="\n") as file:
        file.write("".join(line + "\n" for line in lines))
    os.replace(temporary, arguments.output)
    print(f"{arguments.output}: {len(lines)} records", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
