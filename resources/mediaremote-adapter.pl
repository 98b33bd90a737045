#!/usr/bin/perl
# Launches the Now Playing adapter: runs the adapter program found in the
# framework folder given as the first argument, passing the mode arguments
# (stream / send / seek and their options) through unchanged.
use strict;
use warnings;

my $framework = shift @ARGV;
unless (defined $framework && @ARGV) {
    print STDERR "usage: mediaremote-adapter.pl FRAMEWORK stream|send|seek [ARGUMENTS...]\n";
    exit 2;
}
my $program = "$framework/nowplaying-adapter";
unless (-f $program && -x _) {
    print STDERR "mediaremote-adapter.pl: no adapter program at $program\n";
    exit 127;
}
{
    no warnings 'exec';
    exec { $program } $program, @ARGV;
}
print STDERR "mediaremote-adapter.pl: unable to run $program: $!\n";
exit 126;
