#!/usr/bin/perl
# A camera's web side as a CGI program, for real HTTP servers (lighttpd, busybox httpd).
# One program under every command name; the camera's state lives in files beside it
# (state/): login, sys_ver, app_version, uid, and the firmware it was sent.
use strict;
use warnings;
use File::Basename qw(dirname basename);

my $script = $ENV{SCRIPT_FILENAME} // $0;
my $state = dirname($script) . '/state';
my $command = basename($ENV{SCRIPT_NAME} // $script);

sub unescape { my $v = shift; $v =~ tr/+/ /; $v =~ s/%([0-9A-Fa-f]{2})/chr(hex($1))/ge; return $v; }
sub slurp { my $f = "$state/" . shift; open(my $h, '<', $f) or return ''; local $/; my $v = <$h> // q(); close $h; $v =~ s/\s+\z//; return $v; }
sub store { my ($name, $value) = @_; open(my $h, '>', "$state/$name") or die; binmode $h; print $h $value; close $h; }

my %query;
for my $pair (split /&/, $ENV{QUERY_STRING} // '') {
    my ($k, $v) = split /=/, $pair, 2;
    $query{unescape($k)} = unescape($v // '');
}
store('last-query', $ENV{QUERY_STRING} // '');
store('last-password', $query{pwd} // '');

$| = 1;
binmode STDOUT;
my ($user, $password) = split /\n/, slurp('login'), 2;
if (($query{user} // '') ne $user || ($query{pwd} // '') ne ($password // '')) {
    # Read what was sent, then refuse the login as cameras do, with an error status.
    if (($ENV{CONTENT_LENGTH} // 0) > 0) { local $/; binmode STDIN; my $ignored = <STDIN>; }
    print "Status: 401 Unauthorized\r\nContent-Type: text/plain\r\n\r\nvar result=\"Auth Failed\";\r\n";
    exit 0;
}

sub ok { print "Content-Type: text/plain\r\n\r\nvar result=\"ok\";\r\n"; }
sub version_of { my $bytes = shift; return $bytes =~ /^ORVEXFW ([^\r\n]+)/ ? $1 : ''; }

if ($command eq 'get_status.cgi') {
    # Written in two parts with a pause, as a busy camera does (a benchmark turns it off).
    print "Content-Type: text/plain\r\n\r\nvar sys_ver=\"" . slurp('sys_ver') . "\";\r\n";
    select(undef, undef, undef, 0.1) unless -e "$state/no-pause";
    print "var app_version=\"" . slurp('app_version') . "\";\r\nvar params_md5=\"0\";\r\n"
        . "var oem_id=\"ORVEX\";\r\nvar deviceid=\"" . slurp('uid') . "\";\r\n";
} elsif ($command eq 'set_factory_param.cgi') {
    store('uid', $query{deviceid} // '');
    ok();
} elsif ($command eq 'upgrade_firmware.cgi' || $command eq 'upgrade_htmls.cgi') {
    binmode STDIN;
    my $body = '';
    my $left = $ENV{CONTENT_LENGTH} // 0;
    while ($left > 0) { my $n = read(STDIN, my $piece, $left > 65536 ? 65536 : $left); last unless $n; $body .= $piece; $left -= $n; }
    my ($boundary) = ($ENV{CONTENT_TYPE} // '') =~ /boundary=(\S+)/;
    my $start = index($body, "\r\n\r\n") + 4;
    my $end = rindex($body, "\r\n--$boundary--");
    if (!$boundary || $start < 4 || $end < $start) {
        print "Content-Type: text/plain\r\n\r\nvar result=\"failed\";\r\n";
        exit 0;
    }
    my $file = substr($body, $start, $end - $start);
    my $kind = $command eq 'upgrade_htmls.cgi' ? 'app_version' : 'sys_ver';
    store("uploaded-$kind", $file);
    my $version = version_of($file);
    store($kind, $version) if $version ne '';
    ok();
} elsif ($command eq 'auto_download_file.cgi') {
    my $url = "http://$query{server}:$query{port}/$query{file}";
    my $file = '';
    if (open(my $h, '-|', 'curl', '-sf', '--max-time', '20', $url)) { binmode $h; local $/; $file = <$h> // ''; close $h; }
    if ($? != 0 || version_of($file) eq '') {
        print "Content-Type: text/plain\r\n\r\nvar result=\"failed\";\r\n";
        exit 0;
    }
    store('downloaded', $file);
    store('sys_ver', version_of($file));
    ok();
} else {
    print "Status: 404 Not Found\r\nContent-Type: text/plain\r\n\r\nno such command\r\n";
}
