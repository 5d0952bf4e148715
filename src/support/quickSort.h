// Index-carrying quicksort: orders float keys ascending and moves an index array along,
// so the caller can reorder its own records. Not stable.
#pragma once

class CquickSort {
  public:
    // Sorts count keys in place. With initialise set, indices is first filled with
    // 0 .. count - 1. Fewer than two keys are left as they are.
    void sort(float* keys, int* indices, int count, int initialise);

  private:
    void q_sort(int left, int right);

    float* keys = nullptr;
    int* indices = nullptr;
};
