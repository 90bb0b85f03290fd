#!/usr/bin/perl
# Splits the self cost (instructions) of a callgrind dump by the object it was spent in, grouped
# into the game's own code, GLU, the GL driver and the rest of the system.
# usage: callgrind-split.pl GAME_BINARY_NAME callgrind.out...
use strict;
use warnings;

my $game = shift @ARGV or die "usage: $0 GAME_BINARY_NAME callgrind.out...\n";

sub group {
    my ($object) = @_;
    return 'game' if $object =~ m{/\Q$game\E$};
    return 'GLU' if $object =~ m{libGLU\.so};
    return 'GL driver' if $object =~ m{(libGL|libGLX|libGLdispatch|libglapi|_dri\.so|libgallium|libLLVM|mesa)}i;
    return 'GL driver' if $object eq '???'; # code the software renderer compiled at run time
    return 'system';
}

for my $file (@ARGV) {
    open my $in, '<', $file or die "cannot read $file: $!\n";
    my (%names, %cost);
    my $object = '?';
    my $skipNext = 0;
    while (my $line = <$in>) {
        chomp $line;
        if ($line =~ /^(c?)ob=\((\d+)\)(?: (.*))?$/) {
            # Names are given once, on whichever line first mentions the object, then by number.
            $names{$2} = $3 if defined $3;
            $object = $names{$2} // '?' if $1 eq '';
        } elsif ($line =~ /^calls=/) {
            $skipNext = 1; # the next cost line is a call's inclusive cost, not our own
        } elsif ($line =~ /^[+-]?\d+ (\d+)/ || $line =~ /^\* (\d+)/) {
            if ($skipNext) {
                $skipNext = 0;
            } else {
                $cost{group($object)} += $1;
            }
        }
    }
    close $in;
    my $total = 0;
    $total += $_ for values %cost;
    next unless $total;
    printf "%s: %d instructions", $file, $total;
    for my $group ('game', 'GLU', 'GL driver', 'system') {
        printf "; %s %.2f%%", $group, 100 * ($cost{$group} // 0) / $total;
    }
    print "\n";
}
