/** @file Intrusive doubly linked lists of world objects: the links an object carries and the operations on a list's head and tail. */
#pragma once

#include <cstddef>

/** The next and previous links of one list, kept inside the listed object. */
template <class T>
struct Links {
    T* next = nullptr;
    T* prev = nullptr;
};

/** The head and tail of a list whose objects carry their links in member L. */
template <class T>
struct List {
    T* head = nullptr;
    T* tail = nullptr;
    size_t count = 0;
};

namespace lists {

/** Links item before `before` (at the tail when before is null). The item must not be in the list. */
template <class T, class U>
void insertBefore(List<T>& list, Links<T> U::*links, T* item, T* before)
{
    Links<T>& l = item->*links;
    l.next = before;
    l.prev = before != nullptr ? (before->*links).prev : list.tail;
    if (l.prev != nullptr)
        (l.prev->*links).next = item;
    else
        list.head = item;
    if (before != nullptr)
        (before->*links).prev = item;
    else
        list.tail = item;
    ++list.count;
}

template <class T, class U>
void pushHead(List<T>& list, Links<T> U::*links, T* item)
{
    insertBefore(list, links, item, list.head);
}

template <class T, class U>
void pushTail(List<T>& list, Links<T> U::*links, T* item)
{
    insertBefore(list, links, item, static_cast<T*>(nullptr));
}

/** Takes the item out; the links are cleared. The item must be in the list. */
template <class T, class U>
void unlink(List<T>& list, Links<T> U::*links, T* item)
{
    Links<T>& l = item->*links;
    if (l.prev != nullptr)
        (l.prev->*links).next = l.next;
    else
        list.head = l.next;
    if (l.next != nullptr)
        (l.next->*links).prev = l.prev;
    else
        list.tail = l.prev;
    l.next = l.prev = nullptr;
    --list.count;
}

} // namespace lists
