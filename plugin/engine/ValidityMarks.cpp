#include "ValidityMarks.h"

// The marks are drawn in their own units and placed by their boxes. Each
// starts with its comment line, saves and restores the graphics state around
// everything it sets, and keeps every path point (after its "cm") inside its
// box, so the host may scale a mark into any rectangle.

// Check mark: a white halo, a black shadow 30 right and down, then the
// mark itself in green with a black outline. 258 characters.
const char kValidMark[] =
    "% DSDoubleValid\n"
    "q\n"
    "0 J 0 j 4 M []0 d\n"
    "1.5 i\n"
    "1 g\n"
    "5 525 m 335 15 l 938 845 l 795 985 l 335 285 l 145 665 l h f\n"
    "0 g\n"
    "30 510 m 360 0 l 963 830 l 820 970 l 360 270 l 170 650 l h f\n"
    "0 0.7 0.23 rg\n"
    "0 G\n"
    "15 w\n"
    "0 540 m 330 30 l 933 860 l 790 1000 l 330 300 l 140 680 l h b\n"
    "Q";

// Question mark at a tenth of its size: a black shadow, then the mark
// 24 units up and left in pale yellow with a grey outline. 635 characters.
const char kUnknownMark[] =
    "% DSUnknown\n"
    "q\n"
    "0 J 0 j 4 M []0 d\n"
    "1 G\n"
    "1 g\n"
    "0.1 0 0 0.1 9 0 cm\n"
    "1 i\n"
    "0 g\n"
    "300 250 m\n"
    "420 250 l\n"
    "420 380.5 l\n"
    "420 430 470 470 540 510 c\n"
    "620 556 679 620 679 700 c\n"
    "679 820 560 900 390 900 c\n"
    "220 900 110 820 98 660 c\n"
    "218 660 l\n"
    "218 750 290 790 390 790 c\n"
    "500 790 560 750 560 690 c\n"
    "560 640 520 605 460 570 c\n"
    "360 510 300 480 300 420 c\n"
    "h\n"
    "300 50 120 99.5 re\n"
    "f\n"
    "1 1 0.4 rg\n"
    "0.44 G\n"
    "1.2 w\n"
    "276 274 m\n"
    "396 274 l\n"
    "396 404.5 l\n"
    "396 454 446 494 516 534 c\n"
    "596 580 655 644 655 724 c\n"
    "655 844 536 924 366 924 c\n"
    "196 924 86 844 74 684 c\n"
    "194 684 l\n"
    "194 774 266 814 366 814 c\n"
    "476 814 536 774 536 714 c\n"
    "536 664 496 629 436 594 c\n"
    "336 534 276 504 276 444 c\n"
    "h\n"
    "276 74 120 99.5 re\n"
    "B\n"
    "Q";

// Cross at a tenth of its size: a black shadow, then the cross 25 units
// up and left in red with a grey outline. 595 characters.
const char kInvalidMark[] =
    "% DSInvalid\n"
    "q\n"
    "0 J 0 j 4 M []0 d\n"
    "0.1 0 0 0.1 5 0 cm\n"
    "1 i\n"
    "1 G\n"
    "0 g\n"
    "462 600 m\n"
    "700 887 l\n"
    "740 922 800 922 830 892 c\n"
    "851 850 817 780 y\n"
    "577.25 485 l\n"
    "817 190 l\n"
    "851 150 851 108 830 78 c\n"
    "770 49 700 83 y\n"
    "462 370 l\n"
    "224 83 l\n"
    "184 49 124 49 94 78 c\n"
    "74 120 107 190 y\n"
    "346.75 485 l\n"
    "107 780 l\n"
    "74 820 74 862 94 892 c\n"
    "154 922 224 887 y\n"
    "h\n"
    "f\n"
    "1 0 0 rg\n"
    "0.44 G\n"
    "1.2 w\n"
    "437 625 m\n"
    "675 912 l\n"
    "715 947 775 947 805 917 c\n"
    "826 875 792 805 y\n"
    "552.25 510 l\n"
    "792 215 l\n"
    "826 175 826 133 805 103 c\n"
    "745 74 675 108 y\n"
    "437 395 l\n"
    "199 108 l\n"
    "159 74 99 74 69 103 c\n"
    "49 145 82 215 y\n"
    "321.75 510 l\n"
    "82 805 l\n"
    "49 845 49 887 69 917 c\n"
    "129 947 199 912 y\n"
    "h\n"
    "B\n"
    "Q";

// 963.5794830322266 by 1000.
const ASFixed kValidMarkBox[4] = {0, 0, 0x03C39459, 0x03E80000};
const ASFixed kUnknownMarkBox[4] = {0, 0, 99 << 16, 99 << 16};
const ASFixed kInvalidMarkBox[4] = {0, 0, 99 << 16, 99 << 16};
