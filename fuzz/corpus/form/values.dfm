object A: T
  P = (((<item X = {0A} end>)))
  Q = [a, b]
  R = -1.5E3
  S = #55357#56832
end
