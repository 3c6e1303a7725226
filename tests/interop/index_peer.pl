#!/usr/bin/perl
# Reads an index file through Perl's XBase::Index: "walk FILE [TAG]" prints every key and
# record number in index order; "find FILE TAG KEY" prints the entries from the first key at or
# after KEY onwards (at most five). TAG "-" stands for none. Keys that are not printable text
# (packed-decimal numbers) are printed as hex: followed by their bytes.
use strict;
use warnings;
use XBase::Index;

sub show { my $k = shift; return ($k =~ /[^\x20-\x7e]/) ? 'hex:' . unpack('H*', $k) : $k; }

my ($mode, $file, $tag, $key) = @ARGV;
my @opts = (defined $tag && $tag ne '-') ? (tag => $tag) : ();
my $index = XBase::Index->new($file, @opts) or die "open: " . XBase::Index->errstr . "\n";
if ($mode eq 'walk') {
  $index->prepare_select or die "select\n";
  while (my ($k, $v) = $index->fetch) { print show($k), "\t$v\n"; }
} elsif ($mode eq 'find') {
  $index->prepare_select_eq($key) or die "select_eq\n";
  for (1 .. 5) {
    my ($k, $v) = $index->fetch or last;
    print show($k), "\t$v\n";
  }
} else {
  die "mode\n";
}
