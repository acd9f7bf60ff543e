/* A link library for the binding test: every int operation answers 3082. Built a second time
 * with RelioInputDigRead renamed, to show that one missing symbol fails the whole load. */
#include "tkl.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

#ifdef FAKE_LINK_WITHOUT_ONE
#define RelioInputDigRead RelioInputDigRead_absent
#endif

#define FAKE_RESULT_int32_t return 3082;
#define FAKE_RESULT_void

#define FAKE_DEFINE_(ret, name, params, args) \
    ret name params { FAKE_RESULT_##ret }

TKL_OPERATIONS(FAKE_DEFINE_)
