#!/usr/bin/perl
# Writes a table through Perl's XBase for the randomised differential test: "PATH VERSION ROWSFILE".
# ROWSFILE (UTF-8): the field specs "NAME TYPE LEN DEC" separated by tabs on the first line, then
# one line per record: a deletion mark ('*' or ' '), a tab, and the canonical values separated by
# tabs (see dbf_diff_peer.py). Texts are stored in code page 1252; the table names no code page.
use strict;
use warnings;
use Encode qw(encode decode);
use XBase;

my ($path, $version, $rows) = @ARGV;
open(my $in, '<:raw', $rows) or die "rows: $!\n";
my @lines = map { chomp; $_ } <$in>;
close $in;
my @specs = map { [split / /] } split /\t/, shift @lines;

sub unescape {
  my $s = shift;
  $s =~ s/\\(.)/$1 eq 't' ? "\t" : $1 eq 'n' ? "\n" : $1 eq 'r' ? "\r" : $1/ge;
  return encode('cp1252', decode('UTF-8', $s));
}

unlink $path;
(my $memo = $path) =~ s/\.dbf$/.dbt/;
unlink $memo;
my $table = XBase->create(
  name => $path,
  version => $version,
  field_names => [map { $_->[0] } @specs],
  field_types => [map { $_->[1] } @specs],
  field_lengths => [map { $_->[2] } @specs],
  field_decimals => [map { $_->[3] } @specs],
) or die 'create: ' . XBase->errstr . "\n";
my $n = 0;
for my $line (@lines) {
  next if $line eq '';
  my $mark = substr($line, 0, 1);
  my @values = split /\t/, substr($line, 2), -1;
  my @row;
  for my $i (0 .. $#specs) {
    my ($type, $v) = ($specs[$i][1], $values[$i]);
    if (!defined $v || $v eq '<null>') { push @row, undef; next; }
    if ($type eq 'C' || $type eq 'M') { push @row, unescape($v); }
    elsif ($type eq 'D') { (my $d = $v) =~ s/-//g; push @row, $d; }
    elsif ($type eq 'L') { push @row, $v eq 'T' ? 1 : 0; }
    else { push @row, $v; }
  }
  $table->set_record($n, @row) or die 'set_record: ' . $table->errstr . "\n";
  $table->delete_record($n) if $mark eq '*';
  $n++;
}
$table->close;
