DirectShowSource("/home/u/Clips/a b.rm", fps=29.9700898503294, convertfps=true)
