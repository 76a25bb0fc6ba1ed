#pragma once

// Around a static whose destructor may run at exit or at its thread's end, with the reason beside
// it. Clang's build refuses any other such static: exit would destroy it beside the threads that
// outlive main (see NoDestructor.h).
#if defined(__clang__)
#define ZR_EXIT_TIME_DESTRUCTOR_ALLOWED_BEGIN \
  _Pragma("clang diagnostic push") _Pragma("clang diagnostic ignored \"-Wexit-time-destructors\"")
#define ZR_EXIT_TIME_DESTRUCTOR_ALLOWED_END _Pragma("clang diagnostic pop")
#else
#define ZR_EXIT_TIME_DESTRUCTOR_ALLOWED_BEGIN
#define ZR_EXIT_TIME_DESTRUCTOR_ALLOWED_END
#endif
