#!/usr/bin/perl
# The firmware server's document as a CGI program: the newest firmware for the version
# asked about, written in two parts with a pause (lighttpd then sends it chunked).
use strict;
use warnings;

my ($version) = ($ENV{QUERY_STRING} // '') =~ /version=([^&]*)/;
$| = 1;
if (($version // '') ne '1.7.15.4') {
    print "Status: 404 Not Found\r\nContent-Type: text/plain\r\n\r\nno such firmware\r\n";
    exit 0;
}
print "Content-Type: application/json\r\n\r\n{\"name\":\"1.7.15.9\",";
select(undef, undef, undef, 0.1);
print "\"download_server\":\"127.0.0.80\",\"download_file\":\"files/system-1.7.15.9.bin\"}";
