#pragma once

// Where the address forms leave their results: storage of the calling thread,
// readable after the call returns, untouched by other threads' calls.
struct result_cells {
    double real;   // pead, pstdead, psad
    float single;  // pstdeas, pceas
};

result_cells &thread_result_cells();
