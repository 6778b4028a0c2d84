#!/usr/bin/env bash
# Prints which SDL 1.2 the system gives a program: "classic" (Debian 12) or
# "compat" (sdl12-compat, the only SDL 1.2 from Debian 13 on, and on
# Ubuntu, Fedora and Arch). Only sdl12-compat names its own SDL12COMPAT_
# settings.
lib=$(/sbin/ldconfig -p 2>/dev/null | awk '/libSDL-1\.2\.so\.0 .*x86-64/ {print $NF; exit}')
if [ -n "$lib" ] && grep -qa SDL12COMPAT "$(readlink -f "$lib")"; then echo compat; else echo classic; fi
