#include "support/quickSort.h"

#include <utility>

void CquickSort::sort(float* k, int* idx, int count, int initialise) {
    if (!k || !idx || count <= 0) return;
    keys = k;
    indices = idx;
    if (initialise) {
        for (int i = 0; i < count; i++)
            indices[i] = i;
    }
    if (count >= 2) q_sort(0, count - 1);
    keys = nullptr;
    indices = nullptr;
}

void CquickSort::q_sort(int left, int right) {
    auto exchange = [this](int a, int b) {
        std::swap(keys[a], keys[b]);
        std::swap(indices[a], indices[b]);
    };
    while (left < right) {
        if (right - left == 1) {
            if (keys[left] > keys[right]) {
                exchange(left, right);
                return;
            }
        } else if (right - left == 2) {
            // Strict comparisons: equal keys are never exchanged.
            if (keys[left] > keys[left + 1]) exchange(left, left + 1);
            if (keys[left + 1] > keys[right]) exchange(left + 1, right);
            if (keys[left] > keys[left + 1]) exchange(left, left + 1);
        }

        // The key at left is the pivot; its place is the hole that moves back and forth.
        float pivot = keys[left];
        int pivotIndex = indices[left];
        int l = left, r = right;
        while (l < r) {
            while (keys[r] >= pivot && l < r)
                r--;
            if (l != r) {
                keys[l] = keys[r];
                indices[l] = indices[r];
                l++;
            }
            while (keys[l] <= pivot && l < r)
                l++;
            if (l != r) {
                keys[r] = keys[l];
                indices[r] = indices[l];
                r--;
            }
        }
        keys[l] = pivot;
        indices[l] = pivotIndex;

        // Recurse into the smaller side and loop on the larger, so that ordered or
        // reversed input cannot exhaust the stack. The sides are disjoint, so the order
        // in which they are sorted does not change the result.
        if (l - left < right - l) {
            if (left < l) q_sort(left, l - 1);
            left = l + 1;
        } else {
            if (l < right) q_sort(l + 1, right);
            right = l - 1;
        }
    }
}
