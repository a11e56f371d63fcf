# Run-time options for the sanitizer build (sourced by scripts/test). The
# encoders the tests start inherit them; Debian's ffmpeg is not instrumented
# and ignores them.
SANITIZER_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# fast_unwind_on_malloc=0: Qt and FFmpeg are built without frame pointers,
# which cuts the quick stacks short at their first frame; the suppressions
# need the whole stack to see which library made an allocation.
export ASAN_OPTIONS="halt_on_error=1:check_initialization_order=1:strict_init_order=1:fast_unwind_on_malloc=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$SANITIZER_DIR/lsan.supp:print_suppressions=0"
