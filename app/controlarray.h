#pragma once

#include "gameerror.h"

#include <map>

// Elements that share one name and are told apart by an index, which need not start at 0.
template <typename Element> class ControlArray {
public:
    void add(int index, Element* element) { elements_[index] = element; }

    Element* operator[](int index) const
    {
        const auto it = elements_.find(index);
        if (it == elements_.end())
            throw GameError("Elemento inesistente.");
        return it->second;
    }

private:
    std::map<int, Element*> elements_;
};
