#pragma once

namespace encoder {

// For the benchmark: when MOVAREL_ENCODER_RUSAGE_FD names an open
// descriptor, writes this process's own CPU time and peak memory there
// ("user_us system_us maxrss_kb"), children excluded. Otherwise does nothing.
void reportOwnResources();

} // namespace encoder
