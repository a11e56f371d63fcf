# Run-time options for the sanitizer build (sourced by scripts/test). The
# encoders the tests start inherit them; Debian's ffmpeg is not instrumented
# and ignores them.
SANITIZER_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export ASAN_OPTIONS="halt_on_error=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$SANITIZER_DIR/lsan.supp:print_suppressions=0"
