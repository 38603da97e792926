#!/usr/bin/python3
"""Writes the two optional pointer files that ship beside the program:
HAND-M.CUR (shown over buttons) and drag.ico (shown while a phone number is moved).
Run it from this folder after changing a picture."""

import struct

# '#' outline, '.' fill, ' ' transparent; 32 x 32.
HAND = """
          ##
         #..#
         #..#
         #..#
         #..#
         #..###
         #..#..###
         #..#..#..##
      ## #..#..#..#.#
     #..##........#.#
     #...#..........#
      #.............#
       #............#
       #............#
        #..........#
        #..........#
         #........#
         #........#
         ##########
"""

DRAG = """
#
##
#.#
#..#
#...#
#....#
#.....#
#......#
#.......#
#........#
#.....#####
#..#..#
#.# #..#
##  #..#
#    #..#
     #..#
      ##
         # # # # # # #

         #           #

         #           #

         #           #

         # # # # # # #
"""


def pixels(art):
    rows = art.strip("\n").split("\n")
    grid = [[(0, 0, 0, 0)] * 32 for _ in range(32)]
    for y, row in enumerate(rows[:32]):
        for x, mark in enumerate(row[:32]):
            if mark == "#":
                grid[y][x] = (0, 0, 0, 255)
            elif mark == ".":
                grid[y][x] = (255, 255, 255, 255)
    return grid


def icon_file(grid, kind, hot_x=0, hot_y=0):
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(struct.pack("<BBBB", b, g, r, a)
                      for row in reversed(grid) for (r, g, b, a) in row)
    mask = b""
    for row in reversed(grid):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    image = header + colour + mask
    # An icon's entry holds colour planes and depth where a cursor's holds its hot spot.
    planes_or_x, depth_or_y = (1, 32) if kind == 1 else (hot_x, hot_y)
    entry = struct.pack("<BBBBHHII", 32, 32, 0, 0, planes_or_x, depth_or_y, len(image), 22)
    return struct.pack("<HHH", 0, kind, 1) + entry + image


with open("HAND-M.CUR", "wb") as out:
    out.write(icon_file(pixels(HAND), 2, hot_x=10, hot_y=0))
with open("drag.ico", "wb") as out:
    out.write(icon_file(pixels(DRAG), 1))
