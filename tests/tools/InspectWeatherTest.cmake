# Runs skyvane-inspect metar, dwml and open-meteo (path in INSPECT) on the weather fixtures
# (folder in DATA) and checks their JSON lines and exit codes.

include(${CMAKE_CURRENT_LIST_DIR}/InspectTestSupport.cmake)

function(expect_output expected_code expected_out)
    run_inspect(${ARGN})
    if(NOT code EQUAL expected_code OR NOT out STREQUAL expected_out)
        fail("'${ARGN}' gave ${code} '${out}' (${err}), expected ${expected_code} '${expected_out}'")
    endif()
endfunction()

# The command's output as 14 period lines of seven JSON members each; the lines go to
# the caller's `lines`.
function(expect_periods what)
    run_inspect(${ARGN})
    string(REGEX REPLACE "\n$" "" trimmed "${out}")
    string(REPLACE "\n" ";" periods "${trimmed}")
    list(LENGTH periods count)
    if(NOT code EQUAL 0 OR NOT count EQUAL 14)
        fail("${what} gave ${code} and ${count} lines: ${out} ${err}")
    endif()
    foreach(line IN LISTS periods)
        string(JSON members ERROR_VARIABLE json_error LENGTH "${line}")
        if(json_error OR NOT members EQUAL 7)
            fail("not a JSON object of seven members: ${line} ${json_error}")
        endif()
    endforeach()
    set(lines "${periods}" PARENT_SCOPE)
endfunction()


expect_output(0 "{\"time\": \"2013-03-27T18:51:00\", \"code\": \"PartlyCloudy\", \"code_value\": 4, \"temperature\": 18, \"dew_point\": 9}\n"
    metar ${DATA}/KLAX.TXT --now 2013-03-28T00:00:00Z)
# Without a header the day of the time group needs the clock.
expect_output(1 "{\"error\": \"Nullable<class DateTime>::Value (20)\"}\n"
    metar ${DATA}/KLAX-no-time.TXT --now 2013-03-28T00:00:00Z)
expect_output(1 "{\"error\": \"UtilFile::ReadFileAscii (12)\"}\n"
    metar ${DATA}/no-such-station.TXT)
# A FIFO is not waited on and a device is not read without end; a file larger
# than a download may be is refused before it is read.
execute_process(COMMAND mktemp -d OUTPUT_VARIABLE scratch OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND mkfifo ${scratch}/KLAX.TXT)
expect_output(1 "{\"error\": \"UtilFile::ReadFileAscii (12)\"}\n"
    metar ${scratch}/KLAX.TXT --now 2013-03-28T00:00:00Z)
expect_output(1 "{\"error\": \"UtilFile::ReadFileAscii (12)\"}\n" dwml /dev/zero)
file(COPY_FILE ${DATA}/dwml-7day.xml ${scratch}/large.xml)
execute_process(COMMAND truncate -s 1048577 ${scratch}/large.xml)
expect_output(1 "{\"error\": \"UtilFile::ReadFileAscii (13)\"}\n" dwml ${scratch}/large.xml)
file(REMOVE_RECURSE ${scratch})

expect_periods("dwml of the seven-day document" dwml ${DATA}/dwml-7day.xml)
list(GET lines 0 first)
if(NOT first STREQUAL "{\"start\": \"2013-08-12T06:00:00\", \"end\": \"2013-08-12T18:00:00\", \"summary\": \"Chance Thunderstorms\", \"code\": \"Thunderstorms\", \"code_value\": 17, \"min\": 20.56, \"max\": 30.0}")
    fail("first period: ${first}")
endif()

run_inspect(dwml ${DATA}/dwml-night-start.xml)
string(REGEX MATCH "\"summary\": \"\", \"code\": null, \"code_value\": null, \"min\": 5.0, \"max\": null}" middle "${out}")
if(NOT code EQUAL 0 OR middle STREQUAL "")
    fail("an empty middle period should print nulls: ${out}")
endif()
if(NOT out MATCHES "\"summary\": \"Rain & Wind\"")
    fail("the summary text is not printed as read: ${out}")
endif()

# JSON has no NaN or infinity: temperatures that are not finite are missing.
expect_output(0 "{\"start\": \"2013-03-27T06:00:00\", \"end\": \"2013-03-27T18:00:00\", \"summary\": \"Sunny\", \"code\": \"Clear\", \"code_value\": 0, \"min\": null, \"max\": null}\n{\"start\": \"2013-03-28T06:00:00\", \"end\": \"2013-03-28T18:00:00\", \"summary\": \"Rain\", \"code\": \"Rain\", \"code_value\": 13, \"min\": null, \"max\": null}\n"
    dwml ${DATA}/dwml-not-finite.xml)

expect_output(1 "{\"error\": \"NoaaDwml::Parse12HourlyForecast (205)\"}\n"
    dwml ${DATA}/dwml-different-layouts.xml)
expect_output(1 "{\"error\": \"Util::ParseDigits (536)\"}\n"
    dwml ${DATA}/dwml-bad-period-time.xml)
expect_output(1 "{\"error\": \"NoaaDwml::Parse12HourlyForecast (162)\"}\n"
    dwml ${DATA}/KLAX.TXT)

# A saved worldwide answer prints its periods as dwml does, from the one under
# way at the given instant; over, or unreadable, it is an error.
expect_periods("open-meteo of the saved answer"
    open-meteo ${DATA}/open-meteo-berlin.json --now 2025-09-08T16:30:00Z)
list(GET lines 0 first)
if(NOT first STREQUAL "{\"start\": \"2025-09-08T18:00:00\", \"end\": \"2025-09-09T06:00:00\", \"summary\": \"Fog\", \"code\": \"Fog\", \"code_value\": 2, \"min\": 13.4, \"max\": 22.4}")
    fail("first period: ${first}")
endif()
list(GET lines 13 last)
if(NOT last MATCHES "\"start\": \"2025-09-15T06:00:00\".*\"min\": null, \"max\": 19.2}$")
    fail("last period: ${last}")
endif()
expect_output(1 "{\"error\": \"OpenMeteo::ParseForecast (265)\"}\n"
    open-meteo ${DATA}/open-meteo-berlin.json --now 2025-10-01T00:00:00Z)
expect_output(1 "{\"error\": \"OpenMeteo::ParseForecast (231)\"}\n"
    open-meteo ${DATA}/dwml-7day.xml)
expect_output(1 "{\"error\": \"UtilFile::ReadFileAscii (12)\"}\n" open-meteo /dev/zero)

expect_refused(metar)
expect_refused(metar ${DATA}/KLAX.TXT extra)
expect_refused(metar ${DATA}/KLAX.TXT --now)
expect_refused(metar ${DATA}/KLAX.TXT --now 2013-03-28)
expect_refused(metar ${DATA}/KLAX.TXT --later)
expect_refused(dwml)
expect_refused(dwml ${DATA}/dwml-7day.xml extra)
expect_refused(open-meteo)
expect_refused(open-meteo ${DATA}/open-meteo-berlin.json extra)
expect_refused(open-meteo ${DATA}/open-meteo-berlin.json --now)
expect_refused(open-meteo ${DATA}/open-meteo-berlin.json --later)

if(failures GREATER 0)
    message(FATAL_ERROR "${failures} check(s) failed")
endif()
