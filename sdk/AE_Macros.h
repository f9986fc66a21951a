/* Small helper macros effect code uses with the host interface: error
   chaining (ERR, ERR2), clearing records (AEFX_CLR_STRUCT) and 16.16 fixed
   conversions. ERR needs an `err` in scope; ERR2 also an `err2`. */
#ifndef _H_AE_Macros
#define _H_AE_Macros

#include "A.h"

#include <string.h>

/* Runs FUNC only while no error has happened yet. */
#define ERR(FUNC)                       \
    do {                                \
        if (!err) {                     \
            err = (FUNC);               \
        }                               \
    } while (0)

/* Always runs FUNC (clean-up), keeping the first error. */
#define ERR2(FUNC)                                  \
    do {                                            \
        if (((err2 = (FUNC)) != A_Err_NONE) && !err) { \
            err = err2;                             \
        }                                           \
    } while (0)

#define AEFX_CLR_STRUCT(STRUCT) memset(&(STRUCT), 0, sizeof(STRUCT))

#define INT2FIX(X)     ((A_long)((A_u_long)(A_long)(X) << 16))
#define FIX2INT(X)     ((A_long)(X) >> 16)
#define FIX_2_FLOAT(X) ((A_FpLong)(X) / 65536.0)

#endif /* _H_AE_Macros */
