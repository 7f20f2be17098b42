# Sourced by the scripts that build Release. With optimization GCC 12 reports
# overlaps and overreads inside libstdc++'s own string copies (its bugs 105329
# and 105651), where nothing overlaps; these flags keep them out of the build.
gcc12_quiet="-Wno-restrict -Wno-stringop-overflow -Wno-stringop-overread -Wno-array-bounds"
