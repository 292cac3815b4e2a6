#include "generators/polynomial.h"

#include "generators/singlemath.h"

Polynomial::Polynomial(std::vector<PolynomialTerm> terms) : terms_(std::move(terms)) {}

float Polynomial::evaluate(float x) const
{
    float sum = 0.0f;
    for (const PolynomialTerm& term : terms_) {
        sum += SingleMath::pow(x, term.exponent) * term.coefficient;
    }
    return sum;
}

PolynomialBuilder& PolynomialBuilder::addTerm(float coefficient, float exponent)
{
    terms_.push_back(PolynomialTerm{coefficient, exponent});
    return *this;
}

std::unique_ptr<Polynomial> PolynomialBuilder::build() const
{
    return std::make_unique<Polynomial>(terms_);
}
