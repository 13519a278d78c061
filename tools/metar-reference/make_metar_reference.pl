#!/usr/bin/perl
# Writes tests/weather/data/metar-reference.csv from reports.txt: for each real
# report its station-file header, the report, and the temperature and dew point
# (degrees Celsius) that Geo::METAR decodes. Geo::METAR is an independent
# decoder (Debian package libgeo-metar-perl); it is only run here, never shipped.
# Reports it finds no temperature in are left out.
#
#   apt-get install libgeo-metar-perl
#   tools/metar-reference/make_metar_reference.pl > tests/weather/data/metar-reference.csv
use strict;
use warnings;
use FindBin;
use Geo::METAR;

open(my $in, '<', "$FindBin::Bin/reports.txt") or die "reports.txt: $!";
print "header;report;temperature;dew_point\n";
while (my $line = <$in>) {
    chomp $line;
    next if $line =~ /^#/ || $line !~ /\S/;
    my ($month, $report) = $line =~ m{^(\d{4}/\d\d) (.+)$} or die "bad line: $line";
    my ($day, $hour, $minute) = $report =~ m{^\S+ (\d\d)(\d\d)(\d\d)Z } or die "no time: $line";
    my $metar = Geo::METAR->new;
    $metar->metar($report);
    my $temperature = $metar->TEMP_C;
    if (!defined $temperature || $temperature !~ /^-?\d+$/) {
        print STDERR "no temperature, left out: $report\n";
        next;
    }
    my $dew = $metar->DEW_C;
    $dew = '' unless defined $dew && $dew =~ /^-?\d+$/;
    printf "%s/%s %s:%s;%s;%d;%s\n", $month, $day, $hour, $minute, $report, $temperature,
        $dew eq '' ? '' : sprintf('%d', $dew);
}
