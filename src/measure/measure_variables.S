/* The measurement's three static variables, in this order, TickTotal on
 * an 8-byte boundary so the x87 unit reads and writes it whole. */
#include "abi.h"

    .data
    .balign 8
GLOBAL_LABEL(TickTotal):
    .quad 0         /* adjusted tick count, then the scaled figure, in place */
GLOBAL_LABEL(PassCount):
    .long 0         /* passes per loop; the divisor of the scaling */
GLOBAL_LABEL(PassesLeft):
    .long 0         /* loop counter, decremented in memory */

    GNU_STACK_NOTE
